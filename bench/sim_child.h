#pragma once

// The simulated bench as a real process on a pseudo-terminal, for the benchmarks that time
// the station against it, and a program folder that cleans up after itself.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "platform/text_file.h"

extern char** environ;

namespace bench {

using klv::IniFile;
using klv::makeFolder;

// Six units of different models, so frames and answers are not all alike.
inline constexpr int kModels[6] = {20, 22, 23, 28, 31, 19};

// A program folder that goes away with everything in it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "klv-bench-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string{};
        makeFolder(path_ + "/Log");
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct ChildUsage {
    bool exited = false;
    int exitCode = -1;
    double cpuSeconds = 0;  // user + system
};

inline pid_t spawn(const std::vector<std::string>& args, const std::string& outPath)
{
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, (outPath + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

inline ChildUsage reap(pid_t pid)
{
    ChildUsage u;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid)
        return u;
    u.exited = WIFEXITED(status);
    u.exitCode = u.exited ? WEXITSTATUS(status) : -1;
    u.cpuSeconds = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                   static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
    return u;
}

// klv-sim with six units, pacing its answers at 9600 baud, linked into a program folder as COM1.
class SimChild {
public:
    explicit SimChild(const std::string& home) : link_(home + "/tty")
    {
        std::vector<std::string> args{KLV_SIM_PATH, "--link", link_, "--line-timing"};
        for (int a = 0; a < 6; ++a) {
            args.push_back("--unit");
            args.push_back(std::to_string(a) + ":" + std::to_string(kModels[a]));
        }
        pid_ = spawn(args, home + "/sim.out");
        for (int i = 0; pid_ > 0 && i < 500 && !std::filesystem::is_symlink(link_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        IniFile(home + "/klv.ini").write("PORTS", "COM1", link_);
    }
    ~SimChild() { stop(); }
    bool started() const { return pid_ > 0 && std::filesystem::is_symlink(link_); }
    ChildUsage stop()
    {
        if (pid_ <= 0)
            return {};
        kill(pid_, SIGTERM);
        ChildUsage u = reap(pid_);
        pid_ = -1;
        return u;
    }

private:
    std::string link_;
    pid_t pid_ = -1;
};

}  // namespace bench
