#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace klv {

// Appends JSON to one string, commas placed by the writer. Every text is escaped, and so are
// "<", ">" and "&", so a name out of the database can never close a tag or open markup even
// where a careless reader pastes the JSON into a page.
class JsonWriter {
public:
    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::optional<std::string>& text);
    JsonWriter& value(std::optional<double> number) { return number ? value(*number) : null(); }
    JsonWriter& value(double number);
    JsonWriter& value(long long number);
    JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // A value that is JSON already; only for JSON made of numbers (no text to escape).
    JsonWriter& numbersJson(std::string_view json);

    const std::string& text() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    void separate();
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);

    std::string out_;
    bool first_ = true;  // no value yet in the innermost object or array
};

}  // namespace klv
