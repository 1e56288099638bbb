#include "view/language.h"

namespace klv {

std::optional<Language> languageNamed(const std::string& name)
{
    if (name == "zh")
        return Language::Chinese;
    if (name == "en")
        return Language::English;
    return std::nullopt;
}

Language systemLanguage(const char* lcAll, const char* lcMessages, const char* lang)
{
    for (const char* value : {lcAll, lcMessages, lang})
        if (value && *value)
            return std::string(value).starts_with("en") ? Language::English : Language::Chinese;
    return Language::Chinese;
}

std::string languageArgument(const std::vector<std::string>& args)
{
    std::string value;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--lang" && i + 1 < args.size())
            value = args[++i];
        else if (args[i].starts_with("--lang="))
            value = args[i].substr(7);
    }
    return value;
}

Language chooseLanguage(const std::string& commandLine, const std::string& ini, Language system)
{
    for (const std::string& given : {commandLine, ini})
        if (const auto named = languageNamed(given))
            return *named;
    return system;
}

}  // namespace klv
