#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klv {

// Text files of the station: GBK on disk, UTF-8 in memory, CR LF line ends.
// Every call opens, writes and closes its file, so nothing sits in a buffer. Whole files
// are replaced at once (file_replacement.h): a failed write keeps the file that was there.

std::string utf8ToGbk(const std::string& utf8);
std::string gbkToUtf8(const std::string& gbk);

bool writeLines(const std::string& path, const std::vector<std::string>& lines);
// Lines that already are the bytes to put on disk.
bool writeRawLines(const std::string& path, const std::vector<std::string>& lines);
bool appendLine(const std::string& path, const std::string& line);
bool appendLines(const std::string& path, const std::vector<std::string>& lines);
// What was appended to the file is on the disk, not only in the page cache (fdatasync).
bool syncFile(const std::string& path);
// Lines without their ends (CR LF or LF); nothing when the file cannot be read.
std::optional<std::vector<std::string>> readLines(const std::string& path);
// The same lines as the bytes on disk, not decoded.
std::optional<std::vector<std::string>> readRawLines(const std::string& path);
// The bytes of a file cut into lines as readRawLines does.
std::vector<std::string> splitRawLines(std::string_view bytes);
// The same lines turned to UTF-8, as readLines gives them.
std::vector<std::string> decodeLines(std::string_view bytes);
// The whole of a regular file; nothing for a folder, a device or a file that cannot be read.
std::optional<std::string> readFileBytes(const std::string& path);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
bool makeFolder(const std::string& path);
bool removeFile(const std::string& path);

}  // namespace klv
