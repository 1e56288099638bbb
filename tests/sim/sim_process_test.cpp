#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "link/frame.h"
#include "support/temp_folder.h"

using namespace klv;
using Clock = std::chrono::steady_clock;

namespace {
// klv-sim as a child with its standard output on a pipe; killed if a test leaves it running.
struct SimProcess {
    pid_t pid = -1;
    int out = -1;

    explicit SimProcess(const std::string& link)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl(KLV_SIM_PATH, "klv-sim", "--link", link.c_str(), "--line-timing", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
    }
    ~SimProcess()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0)
            close(out);
    }
    std::string readLine(std::chrono::milliseconds limit)
    {
        std::string line;
        auto end = Clock::now() + limit;
        char c = 0;
        while (Clock::now() < end) {
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, 50) == 1 && read(out, &c, 1) == 1) {
                if (c == '\n')
                    return line;
                line += c;
            }
        }
        return "timed out: " + line;
    }
    // The exit status, or -1 when it does not end in time.
    int waitExit(std::chrono::milliseconds limit)
    {
        auto end = Clock::now() + limit;
        int status = 0;
        while (Clock::now() < end) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
};

int openLine(const std::string& path)
{
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    if (fd >= 0 && tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);
        t.c_cflag |= PARENB;
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

Bytes transact(int fd, const Bytes& request, size_t expected)
{
    EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    Bytes answer;
    auto end = Clock::now() + std::chrono::seconds(3);
    while (answer.size() < expected && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        std::uint8_t buffer[128];
        ssize_t n = poll(&p, 1, 50) == 1 ? read(fd, buffer, sizeof buffer) : 0;
        if (n > 0)
            answer.insert(answer.end(), buffer, buffer + n);
    }
    return answer;
}
}  // namespace

TEST(SimProcess, KlvSimServesItsLinkAcrossReopensAndLeavesCleanlyOnSigterm)
{
    TempFolder dir;
    const std::string link = dir.path() + "/ttyKLV";
    ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);  // left behind by an earlier run: replaced
    SimProcess sim(link);
    ASSERT_GT(sim.pid, 0);
    std::string terminal = sim.readLine(std::chrono::seconds(5));
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(terminal, target);

    const Bytes identityQuery{0xFA, 0x00, 0x00, 0x01, 0x22, 0x22, 0xF8};
    for (int round = 0; round < 2; ++round) {  // the second open finds the terminal as the first left it
        int fd = openLine(link);
        ASSERT_GE(fd, 0);
        Bytes answer = transact(fd, identityQuery, 17);
        ASSERT_EQ(answer.size(), 17u) << "round " << round;
        EXPECT_TRUE(verifyChecksum(answer, 4, 15));
        EXPECT_EQ(answer[5], 20);  // TAL-M3 at address 0
        EXPECT_EQ(answer[16], 0xF8);
        EXPECT_EQ(transact(fd, buildFrame(1, kFrameChannel, Bytes(8, 0x55)), 86).size(), 86u);
        close(fd);
    }

    ASSERT_EQ(kill(sim.pid, SIGTERM), 0);
    EXPECT_EQ(sim.waitExit(std::chrono::seconds(5)), 0);
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0);
}
