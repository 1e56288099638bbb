#include "lab/outbox.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace klv::lab {

namespace {

namespace fs = std::filesystem;

constexpr const char* kExtension = ".rows";
// A segment this long is sealed even while the database is away, so that a long outage
// drains in transactions of a bounded size.
constexpr std::int64_t kSegmentLines = 20000;

std::vector<std::string> segmentsIn(const std::string& folder)
{
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == kExtension)
            paths.push_back(entry.path().string());
    // Zero-padded numbers: the names sort in the order the segments were opened.
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::uint64_t numberOf(const std::string& path)
{
    try {
        return std::stoull(fs::path(path).stem().string());
    } catch (const std::exception&) {
        return 0;
    }
}

bool writeAllAndSync(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const off_t before = lseek(fd, 0, SEEK_END);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = done == bytes.size() && fdatasync(fd) == 0;
    if (!ok && ftruncate(fd, before) != 0) {
        // What could not be cut off stays as a torn line, which the reader leaves out.
    }
    ::close(fd);
    return ok;
}

}  // namespace

Outbox::Outbox(std::string folder, std::uint64_t reserveBytes) : folder_(std::move(folder)), reserve_(reserveBytes)
{
    std::error_code error;
    fs::create_directories(folder_, error);
    for (const std::string& path : segmentsIn(folder_)) {
        backlog_ += static_cast<std::int64_t>(readSegment(path).size());
        next_ = std::max(next_, numberOf(path) + 1);
    }
}

std::string Outbox::segmentPath(std::uint64_t number) const
{
    char name[32];
    std::snprintf(name, sizeof name, "%016llu", static_cast<unsigned long long>(number));
    return folder_ + "/" + name + kExtension;
}

Outbox::Append Outbox::append(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return Append::Kept;
    std::string bytes;
    for (const std::string& line : lines)
        bytes.append(line).push_back('\n');
    struct statvfs disk {};
    if (reserve_ > 0 && statvfs(folder_.c_str(), &disk) == 0 &&
        std::uint64_t(disk.f_bavail) * disk.f_frsize < reserve_ + bytes.size())
        return Append::BelowReserve;
    if (open_.empty()) {
        open_ = segmentPath(next_++);
        openLines_ = 0;
    }
    if (!writeAllAndSync(open_, bytes))
        return Append::Refused;
    openLines_ += static_cast<std::int64_t>(lines.size());
    backlog_ += static_cast<std::int64_t>(lines.size());
    if (openLines_ >= kSegmentLines)
        seal();
    return Append::Kept;
}

void Outbox::seal() { open_.clear(); }

std::vector<std::string> Outbox::sealedSegments() const
{
    std::vector<std::string> sealed = segmentsIn(folder_);
    sealed.erase(std::remove(sealed.begin(), sealed.end(), open_), sealed.end());
    return sealed;
}

std::vector<std::string> Outbox::readSegment(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = bytes.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(bytes.substr(begin, end - begin));
    return lines;
}

void Outbox::remove(const std::string& segment, std::int64_t lines)
{
    std::error_code error;
    if (fs::remove(segment, error))
        backlog_ = std::max<std::int64_t>(0, backlog_ - lines);
}

void Outbox::setAside(const std::string& segment, std::int64_t lines)
{
    std::error_code error;
    fs::rename(segment, segment + ".rejected", error);
    if (!error)
        backlog_ = std::max<std::int64_t>(0, backlog_ - lines);
}

}  // namespace klv::lab
