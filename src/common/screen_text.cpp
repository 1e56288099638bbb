#include "common/screen_text.h"

#include <utility>

namespace klv {

namespace {

ScreenTranslator& translator()
{
    static ScreenTranslator installed;
    return installed;
}

}  // namespace

void setScreenTranslator(ScreenTranslator t) { translator() = std::move(t); }

std::string screenText(Text text)
{
    const ScreenTranslator& t = translator();
    return t ? t(text.context, text.source) : std::string(text.source);
}

std::string fileText(Text text) { return text.source; }

std::string fillIn(std::string pattern, std::initializer_list<std::string> args)
{
    int n = static_cast<int>(args.size());
    // From the highest number down, so that %1 is never taken for the start of %10.
    for (auto it = std::rbegin(args); it != std::rend(args); ++it, --n) {
        const std::string mark = "%" + std::to_string(n);
        for (size_t at = pattern.find(mark); at != std::string::npos; at = pattern.find(mark, at + it->size()))
            pattern.replace(at, mark.size(), *it);
    }
    return pattern;
}

}  // namespace klv
