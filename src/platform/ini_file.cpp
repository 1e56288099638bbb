#include "platform/ini_file.h"

#include <stdexcept>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/text_file.h"

namespace klv {

namespace {

constexpr size_t kMaxValue = 254;  // a 255-character buffer holds 254 and the terminator

// The buffer counts bytes of the file's encoding, GBK, where a Chinese character
// takes two: a value is cut to 254 GBK bytes, and never inside a character.
std::string cutValue(const std::string& utf8)
{
    if (utf8.size() <= kMaxValue)  // GBK never takes more bytes than UTF-8
        return utf8;
    std::string gbk = utf8ToGbk(utf8);
    if (gbk.size() <= kMaxValue)
        return utf8;
    size_t end = 0;
    while (end < gbk.size()) {
        size_t width = static_cast<unsigned char>(gbk[end]) >= 0x81 ? 2 : 1;
        if (end + width > kMaxValue)
            break;
        end += width;
    }
    return gbkToUtf8(gbk.substr(0, end));
}

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

int IniFile::readInt(const std::string& section, const std::string& key, int fallback) const
{
    try {
        return std::stoi(read(section, key, std::to_string(fallback)));
    } catch (const std::exception&) {
        return fallback;
    }
}

std::string IniFile::read(const std::string& section, const std::string& key, const std::string& fallback) const
{
    const auto lines = readRawLines(path_);
    return lines ? readIniValue(*lines, section, key, fallback) : cutValue(fallback);
}

bool IniFile::write(const std::string& section, const std::string& key, const std::string& value) const
{
    const auto old = readRawLines(path_);
    std::vector<std::string> lines = old.value_or(std::vector<std::string>{});
    writeIniValue(lines, section, key, value);
    // The same value again (every connect writes the port) leaves the file alone.
    return (old && lines == *old) || writeRawLines(path_, lines);
}

std::string readIniValue(const std::vector<std::string>& lines, const std::string& section, const std::string& key,
                         const std::string& fallback)
{
    bool inSection = false;
    for (const auto& raw : lines) {
        const std::string line = gbkToUtf8(raw);
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
            return cutValue(v);
        }
    }
    return cutValue(fallback);
}

void writeIniValue(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                   const std::string& value)
{
    // Lines are parsed as text (a GBK trail byte may look like '[' or '=') but kept as bytes:
    // a line that is not GBK (a hand edit in another encoding, a file cut mid-character)
    // goes back byte for byte, where decoding and encoding it again would give '?'.
    const std::string entry = utf8ToGbk(key + "=" + value);
    bool inSection = false;
    std::optional<size_t> lastOfSection;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string text = gbkToUtf8(lines[i]);
        if (auto s = sectionOf(text)) {
            if (inSection)
                break;
            inSection = sameText(*s, section);
            if (inSection)
                lastOfSection = i;
            continue;
        }
        if (!inSection)
            continue;
        auto e = entryOf(text);
        if (e && sameText(e->first, key)) {
            lines[i] = entry;
            return;
        }
        if (!trim(text).empty())
            lastOfSection = i;
    }
    if (lastOfSection) {
        lines.insert(lines.begin() + static_cast<long>(*lastOfSection) + 1, entry);
    } else {
        lines.push_back(utf8ToGbk("[" + section + "]"));
        lines.push_back(entry);
    }
}

}  // namespace klv
