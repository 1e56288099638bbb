#include "platform/file_replacement.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace klv {

namespace {

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename itself is only durable once the folder that holds both names is synced.
bool syncFolder(const std::string& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

FileReplacement::FileReplacement(std::string path) : path_(std::move(path)), temp_(path_ + ".tmp")
{
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

FileReplacement::~FileReplacement() { discard(); }

bool FileReplacement::write(std::string_view bytes)
{
    while (ok() && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failed_ = true;
        else
            bytes.remove_prefix(static_cast<size_t>(n));
    }
    return ok();
}

bool FileReplacement::commit()
{
    if (!ok() || ::fsync(fd_) != 0) {
        discard();
        return false;
    }
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || std::rename(temp_.c_str(), path_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        return false;
    }
    return syncFolder(path_);
}

void FileReplacement::discard()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
}

bool replaceFile(const std::string& path, std::string_view bytes)
{
    FileReplacement file(path);
    return file.write(bytes) && file.commit();
}

}  // namespace klv
