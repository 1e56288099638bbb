// Preloaded into a station under test (LD_PRELOAD), this notes for every file what a power cut
// would leave of it: the size it had when it was last synced, or before it was first written.
// The lines go to the file named by KLV_SYNC_LOG; the power-cut test cuts the files by them.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int logFd()
{
    static const int fd = [] {
        const char* path = std::getenv("KLV_SYNC_LOG");
        return path ? static_cast<int>(
                          syscall(SYS_openat, AT_FDCWD, path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644))
                    : -1;
    }();
    return fd;
}

// One line "KIND\tSIZE\tPATH\n" for a regular file open at fd.
void note(char kind, int fd, off_t size)
{
    if (logFd() < 0)
        return;
    char proc[64], path[4096];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(proc, path, sizeof path - 1);
    if (n <= 0)
        return;
    path[n] = '\0';
    char line[4200];
    const int length = std::snprintf(line, sizeof line, "%c\t%lld\t%s\n", kind, static_cast<long long>(size), path);
    syscall(SYS_write, logFd(), line, static_cast<size_t>(length));
}

off_t sizeOf(int fd)
{
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
}

template <typename F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// A sync that succeeded: what the file holds now survives a power cut.
int noteSynced(int fd, int result)
{
    if (const off_t size = sizeOf(fd); result == 0 && size >= 0)
        note('S', fd, size);
    return result;
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t count)
{
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    if (const off_t size = fd != logFd() ? sizeOf(fd) : -1; size >= 0)
        note('W', fd, size);
    return real(fd, buffer, count);
}

int fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    return noteSynced(fd, real(fd));
}

int fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    return noteSynced(fd, real(fd));
}

int rename(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    const int result = real(from, to);
    if (result == 0 && logFd() >= 0) {
        char line[8400];
        const int length = std::snprintf(line, sizeof line, "R\t%s\t%s\n", from, to);
        syscall(SYS_write, logFd(), line, static_cast<size_t>(length));
    }
    return result;
}
}
