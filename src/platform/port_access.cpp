#include "platform/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace klv {

namespace {

std::string groupName(gid_t gid)
{
    const group* g = ::getgrgid(gid);
    return g ? g->gr_name : std::to_string(gid);
}

std::string userName(uid_t uid)
{
    const passwd* p = ::getpwuid(uid);
    return p ? p->pw_name : std::to_string(uid);
}

}  // namespace

std::string portAccessProblem(const std::string& path)
{
    if (::access(path.c_str(), R_OK | W_OK) == 0)
        return {};
    struct stat st {};
    if (errno != EACCES || ::stat(path.c_str(), &st) != 0)
        return path + ": " + std::strerror(errno);

    const std::string group = groupName(st.st_gid), user = userName(::getuid());
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    // A configured name may be a link (/dev/serial/by-id/...): name the device itself.
    std::error_code ignored;
    const std::string device = std::filesystem::canonical(path, ignored).string();
    std::string text = "no permission to open " + (device.empty() ? path : device) + " (owner " + userName(st.st_uid) +
                       ", group " + group + ", mode " + mode + ") as user " + user + ". ";
    std::string remedy =
        "add the user to group " + group + ": sudo usermod -aG " + group + " " + user + " and log in again";
    // Membership only helps when the group may read and write the device.
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return text + "Its group may not read and write it: have the administrator give group " + group +
               " read-write access (a udev rule), then " + remedy;
    remedy[0] = 'A';
    return text + remedy;
}

}  // namespace klv
