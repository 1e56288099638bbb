#pragma once

#include <string>
#include <vector>

namespace klv {

// The station's configuration file, read and written key by key the way the
// classic profile-string routines do: sections and keys match without regard
// to case, values are cut at 254 bytes of GBK, and a write rewrites only its
// own line, keeping comments and every other line as they were.
class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}
    std::string read(const std::string& section, const std::string& key, const std::string& fallback) const;
    // The value as a whole number; the fallback when it is missing or does not start with one.
    int readInt(const std::string& section, const std::string& key, int fallback) const;
    bool write(const std::string& section, const std::string& key, const std::string& value) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The same on the file's lines as they are on disk (GBK, without line ends).
std::string readIniValue(const std::vector<std::string>& lines, const std::string& section, const std::string& key,
                         const std::string& fallback);
void writeIniValue(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                   const std::string& value);

}  // namespace klv
