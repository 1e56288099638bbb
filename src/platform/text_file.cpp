#include "platform/text_file.h"

#include "platform/file_replacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klv {

namespace {

// One converter per direction and thread, opened at its first use: opening one costs more
// than converting a line. Reset before each use, so no shift state carries over.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t reset()
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    iconv_t cd_;
};

std::string convert(const std::string& in, Converter& converter)
{
    // ASCII reads the same in GBK and UTF-8; most lines the station writes are numbers.
    if (std::all_of(in.begin(), in.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return in;
    if (!converter.ok())
        return in;
    iconv_t cd = converter.reset();
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
    out.resize(out.size() - dstLeft);
    return out;
}

// All the bytes or none: what a full disk let through is cut off again, so a failed append
// leaves no torn line for the next one to be glued to.
bool appendBytes(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const off_t before = ::lseek(fd, 0, SEEK_END);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        rest.remove_prefix(static_cast<size_t>(n));
    }
    const bool written = rest.empty();
    if (!written && before >= 0 && ::ftruncate(fd, before) != 0) {
        // The torn tail stays: the file cannot be cut either.
    }
    return ::close(fd) == 0 && written;
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

std::string utf8ToGbk(const std::string& utf8)
{
    thread_local Converter toGbk("GBK", "UTF-8");
    return convert(utf8, toGbk);
}

std::string gbkToUtf8(const std::string& gbk)
{
    thread_local Converter fromGbk("UTF-8", "GBK");
    return convert(gbk, fromGbk);
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines)
{
    return replaceFile(path, joinLines(lines, true));
}

bool writeRawLines(const std::string& path, const std::vector<std::string>& lines)
{
    return replaceFile(path, joinLines(lines, false));
}

bool appendLine(const std::string& path, const std::string& line) { return appendLines(path, {line}); }

bool appendLines(const std::string& path, const std::vector<std::string>& lines)
{
    return appendBytes(path, joinLines(lines, true));
}

bool syncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

std::optional<std::string> readFileBytes(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // One read of the size the file has; whatever it did not tell (a file still growing) after it.
    std::string content(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    char more[1 << 16];
    for (;;) {
        const bool full = got == content.size();
        const ssize_t n = full ? ::read(fd, more, sizeof more) : ::read(fd, content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (full)
            content.append(more, static_cast<size_t>(n));
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    content.resize(got);
    return content;
}

std::vector<std::string> splitRawLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        size_t stop = (end > start && bytes[end - 1] == '\r') ? end - 1 : end;
        lines.emplace_back(bytes.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> readRawLines(const std::string& path)
{
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return splitRawLines(*bytes);
}

std::vector<std::string> decodeLines(std::string_view bytes)
{
    std::vector<std::string> lines = splitRawLines(bytes);
    for (auto& line : lines)
        line = gbkToUtf8(line);
    return lines;
}

std::optional<std::vector<std::string>> readLines(const std::string& path)
{
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return decodeLines(*bytes);
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
