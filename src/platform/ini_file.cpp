#include "platform/ini_file.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/text_file.h"

namespace klv {

namespace {

constexpr size_t kMaxValue = 254;  // a 255-character buffer holds 254 and the terminator

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool sameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The section name when the line is a section header.
std::optional<std::string> sectionOf(const std::string& line)
{
    std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos)
            return trim(t.substr(1, close - 1));
    }
    return std::nullopt;
}

// Key and value when the line is an assignment (comments are never assignments).
std::optional<std::pair<std::string, std::string>> entryOf(const std::string& line)
{
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return std::nullopt;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return std::make_pair(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
}

}  // namespace

std::string IniFile::read(const std::string& section, const std::string& key, const std::string& fallback) const
{
    auto lines = readLines(path_);
    if (!lines)
        return fallback.substr(0, kMaxValue);
    bool inSection = false;
    for (const auto& line : *lines) {
        if (auto s = sectionOf(line)) {
            inSection = sameText(*s, section);
            continue;
        }
        if (!inSection)
            continue;
        auto entry = entryOf(line);
        if (entry && sameText(entry->first, key)) {
            std::string v = entry->second;
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return v.substr(0, kMaxValue);
        }
    }
    return fallback.substr(0, kMaxValue);
}

bool IniFile::write(const std::string& section, const std::string& key, const std::string& value) const
{
    std::vector<std::string> lines = readLines(path_).value_or(std::vector<std::string>{});
    const std::string entry = key + "=" + value;
    bool inSection = false;
    std::optional<size_t> lastOfSection;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto s = sectionOf(lines[i])) {
            if (inSection)
                break;
            inSection = sameText(*s, section);
            if (inSection)
                lastOfSection = i;
            continue;
        }
        if (!inSection)
            continue;
        auto e = entryOf(lines[i]);
        if (e && sameText(e->first, key)) {
            lines[i] = entry;
            return writeLines(path_, lines);
        }
        if (!trim(lines[i]).empty())
            lastOfSection = i;
    }
    if (lastOfSection) {
        lines.insert(lines.begin() + static_cast<long>(*lastOfSection) + 1, entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    return writeLines(path_, lines);
}

}  // namespace klv
