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
        written_ += n > 0 ? static_cast<std::uint64_t>(n) : 0;
    }
    startWriteBack();
    return ok();
}

// A large file goes to the disk while the rest of it is still being made, so that the sync at
// the commit waits only for its last part. The sync still decides; this only starts early.
void FileReplacement::startWriteBack()
{
    constexpr std::uint64_t kStep = 1 << 20;
    if (!ok() || written_ - startedUpTo_ < kStep)
        return;
#ifdef __linux__
    ::sync_file_range(fd_, static_cast<off_t>(startedUpTo_), static_cast<off_t>(written_ - startedUpTo_),
                      SYNC_FILE_RANGE_WRITE);
#endif
    startedUpTo_ = written_;
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
