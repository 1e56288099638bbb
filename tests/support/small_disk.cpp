#include "support/small_disk.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(const char* size)
{
    const std::string options = std::string("size=") + size;
    if (geteuid() != 0)
        reason_ = "mounting a small tmpfs needs root";
    else if (mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, options.c_str()) != 0)
        reason_ = std::string("cannot mount a small tmpfs: ") + std::strerror(errno);
}

SmallDisk::~SmallDisk()
{
    if (mounted())
        umount2(folder_.path().c_str(), MNT_DETACH);
}

std::string SmallDisk::fill()
{
    const std::string filler = path() + "/filler";
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string block(4096, 'x');
    while (fd >= 0 && write(fd, block.data(), block.size()) > 0) {
    }
    // The last few bytes a block could not take.
    while (fd >= 0 && write(fd, block.data(), 1) > 0) {
    }
    if (fd >= 0)
        close(fd);
    return filler;
}
