#include "labweb/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace klv {

void JsonWriter::separate()
{
    if (!first_)
        out_ += ',';
    first_ = false;
}

JsonWriter& JsonWriter::open(char bracket)
{
    separate();
    out_ += bracket;
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::close(char bracket)
{
    out_ += bracket;
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    value(name);
    out_ += ':';
    first_ = true;  // the member's value follows without a comma
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    separate();
    out_ += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out_ += "\\\"";
            break;
        case '\\':
            out_ += "\\\\";
            break;
        case '\n':
            out_ += "\\n";
            break;
        case '\r':
            out_ += "\\r";
            break;
        case '\t':
            out_ += "\\t";
            break;
        case '<':
        case '>':
        case '&': {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out_ += buf;
            break;
        }
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out_ += buf;
            } else if (c == 0xE2 && text.substr(i + 1, 1) == "\x80" && i + 2 < text.size() &&
                       (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
                // U+2028 and U+2029 end a line in older script parsers.
                out_ += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
                i += 2;
            } else {
                out_ += static_cast<char>(c);
            }
        }
    }
    out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::value(const std::optional<std::string>& text) { return text ? value(*text) : null(); }

JsonWriter& JsonWriter::value(double number)
{
    if (!std::isfinite(number))
        return null();
    separate();
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, number).ptr;
    out_.append(buf, end);
    return *this;
}

JsonWriter& JsonWriter::value(long long number)
{
    separate();
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    separate();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::numbersJson(std::string_view json)
{
    separate();
    out_ += json;
    return *this;
}

JsonWriter& JsonWriter::null()
{
    separate();
    out_ += "null";
    return *this;
}

}  // namespace klv
