#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/text_file.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

// Everything below the folder handed to a user, so that it may write its logs there.
void giveTo(const std::string& folder, uid_t uid, gid_t gid)
{
    ASSERT_EQ(::chown(folder.c_str(), uid, gid), 0);
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        ASSERT_EQ(::lchown(e.path().c_str(), uid, gid), 0) << e.path();
}

std::string onlyLogText(const std::string& folder)
{
    std::string text;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().starts_with("klv-"))
            for (const auto& line : readLines(e.path().string()).value_or(std::vector<std::string>{}))
                text += line + "\n";
    return text;
}

struct DeviceAccess {
    const char* group;
    mode_t mode;
    bool groupMayUseIt;  // else the remedy starts with the administrator
};

}  // namespace

// Root opens any device, so the station runs as the unprivileged user "nobody" against the
// simulated bench's terminal handed to root and a group nobody is not in.
TEST(PortPermission, ANobodyUserIsToldTheGroupAndTheCommandThatAddsItToIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the terminal to another user and run the station as nobody";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);

    for (const DeviceAccess& row : {DeviceAccess{"dialout", 0660, true}, DeviceAccess{"root", 0600, false}}) {
        SCOPED_TRACE(row.group);
        TempFolder home;
        const std::string link = home.path() + "/tty";
        SimProcess sim(link, {"--unit", "0:20"});
        ASSERT_TRUE(sim.started());
        writeBenchIni(home.path(), link);
        giveTo(home.path(), nobody->pw_uid, nobody->pw_gid);
        const std::string device = std::filesystem::canonical(link).string();
        const group* owners = ::getgrnam(row.group);
        ASSERT_NE(owners, nullptr);
        ASSERT_EQ(::chown(device.c_str(), 0, owners->gr_gid), 0);
        ASSERT_EQ(::chmod(device.c_str(), row.mode), 0);

        const StationRun run = runProgram("setpriv",
                                          {"--reuid=nobody", "--regid=" + QString::number(nobody->pw_gid),
                                           "--clear-groups", KLV_STATION_PATH, "--headless", "--home",
                                           QString::fromStdString(home.path()), "--port", "1", "--seconds", "1"},
                                          -1, 0, 30000);

        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        const std::string remedy = "sudo usermod -aG " + std::string(row.group) + " nobody";
        const std::string err = run.err.toStdString();
        EXPECT_TRUE(err.starts_with("错误的端口！\n")) << err;
        EXPECT_NE(err.find("no permission to open " + device), std::string::npos) << err;
        EXPECT_NE(err.find(remedy), std::string::npos) << err;
        EXPECT_EQ(err.find("administrator") == std::string::npos, row.groupMayUseIt) << err;

        const std::string log = onlyLogText(home.path() + "/Log");
        EXPECT_NE(log.find(":[ErrConnect(COM1)]no permission to open " + device), std::string::npos) << log;
        EXPECT_NE(log.find(remedy + " and log in again\n"), std::string::npos) << log;
    }
}
