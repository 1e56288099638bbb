#include "platform/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klv {

namespace {

std::string convert(const std::string& in, const char* to, const char* from)
{
    // ASCII reads the same in GBK and UTF-8; most lines the station writes are numbers.
    if (std::all_of(in.begin(), in.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return in;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return in;
    std::string out(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            size_t used = out.size() - dstLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        } else {
            // A byte the other side cannot hold becomes '?', as the system's code page would do.
            if (dstLeft == 0) {
                size_t used = out.size();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
            }
            *dst++ = '?';
            --dstLeft;
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

bool writeBytes(const std::string& path, const std::string& bytes, std::ios::openmode mode)
{
    std::ofstream f(path, mode | std::ios::binary);
    if (!f)
        return false;
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    return !f.fail();
}

std::string joinLines(const std::vector<std::string>& lines, bool toGbk)
{
    std::string bytes;
    for (const auto& line : lines) {
        bytes += toGbk ? utf8ToGbk(line) : line;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace

std::string utf8ToGbk(const std::string& utf8) { return convert(utf8, "GBK", "UTF-8"); }
std::string gbkToUtf8(const std::string& gbk) { return convert(gbk, "UTF-8", "GBK"); }

bool writeLines(const std::string& path, const std::vector<std::string>& lines)
{
    return writeBytes(path, joinLines(lines, true), std::ios::out | std::ios::trunc);
}

bool writeRawLines(const std::string& path, const std::vector<std::string>& lines)
{
    return writeBytes(path, joinLines(lines, false), std::ios::out | std::ios::trunc);
}

bool appendLine(const std::string& path, const std::string& line) { return appendLines(path, {line}); }

bool appendLines(const std::string& path, const std::vector<std::string>& lines)
{
    return writeBytes(path, joinLines(lines, true), std::ios::out | std::ios::app);
}

std::optional<std::vector<std::string>> readRawLines(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f || !fileExists(path))  // a folder opens, then fails every read
        return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        size_t stop = (end > start && content[end - 1] == '\r') ? end - 1 : end;
        lines.push_back(content.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> readLines(const std::string& path)
{
    auto lines = readRawLines(path);
    if (lines)
        for (auto& line : *lines)
            line = gbkToUtf8(line);
    return lines;
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeFolder(const std::string& path) { return folderExists(path) || mkdir(path.c_str(), 0777) == 0; }

bool removeFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace klv
