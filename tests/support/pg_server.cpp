#include "support/pg_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kBin = "/usr/lib/postgresql/15/bin/";

// A TCP port on 127.0.0.1 that nobody listens on right now.
int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

// Runs a program to its end with stdout and stderr appended to logPath; true when it exits 0.
bool run(std::vector<std::string> args, const std::string& logPath, bool asPostgres)
{
    if (asPostgres)
        args.insert(args.begin(), {"runuser", "-u", "postgres", "--"});
    const pid_t pid = fork();
    if (pid == 0) {
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
        dup2(log, 1);
        dup2(log, 2);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

PgServer::PgServer() : asRoot_(geteuid() == 0)
{
    std::string pattern = "/tmp/klv-pg-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        failure_ = "cannot make a temporary folder";
        return;
    }
    folder_ = pattern;
    data_ = folder_ + "/data";
    log_ = folder_ + "/server.log";
    if (asRoot_) {
        // The server refuses to run as root: the folder becomes the postgres user's.
        const passwd* pg = getpwnam("postgres");
        if (!pg || chown(folder_.c_str(), pg->pw_uid, pg->pw_gid) != 0) {
            failure_ = "no postgres user to run the test server as";
            return;
        }
    }
    chmod(folder_.c_str(), 0755);
    const std::string pwfile = folder_ + "/pw";
    std::ofstream(pwfile) << password() << "\n";
    chmod(pwfile.c_str(), 0644);
    if (!run({kBin + "initdb", "-D", data_, "-U", "postgres", "-E", "UTF8", "--locale=C", "--auth-local=trust",
              "--auth-host=scram-sha-256", "--pwfile=" + pwfile},
             folder_ + "/initdb.log", asRoot_)) {
        failure_ = "initdb failed: " + readAll(folder_ + "/initdb.log");
        return;
    }
    port_ = freePort();
    if (!start())
        failure_ = "the test server did not start: " + readAll(log_);
}

PgServer::~PgServer()
{
    if (paused_)
        resume();
    if (!folder_.empty()) {
        pgctl({"stop", "-m", "immediate"});
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool PgServer::pgctl(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {kBin + "pg_ctl", "-D", data_, "-l", log_, "-w", "-t", "60"};
    all.insert(all.end(), args.begin(), args.end());
    return run(all, folder_ + "/pg_ctl.log", asRoot_);
}

bool PgServer::start()
{
    // No durability needed for a throwaway server; it only makes the tests slow.
    const std::string options = "-p " + std::to_string(port_) + " -k " + folder_ +
                                " -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off"
                                " -c full_page_writes=off";
    return pgctl({"start", "-o", options});
}

bool PgServer::stop() { return pgctl({"stop", "-m", "fast"}); }

std::vector<int> PgServer::serverPids() const
{
    std::ifstream pidFile(data_ + "/postmaster.pid");
    int postmaster = 0;
    pidFile >> postmaster;
    std::vector<int> pids;
    if (postmaster <= 0)
        return pids;
    pids.push_back(postmaster);
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // /proc/<pid>/stat: pid (comm) state ppid ...
        const std::string stat = readAll(entry.path().string() + "/stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        int parent = 0;
        rest >> state >> parent;
        if (parent == postmaster)
            pids.push_back(std::stoi(name));
    }
    return pids;
}

void PgServer::pause()
{
    for (const int pid : serverPids())
        kill(pid, SIGSTOP);
    paused_ = true;
}

void PgServer::resume()
{
    for (const int pid : serverPids())
        kill(pid, SIGCONT);
    paused_ = false;
}

std::string PgServer::uri(const std::string& database) const { return uri("postgres", password(), database); }

std::string PgServer::uri(const std::string& user, const std::string& password, const std::string& database) const
{
    return "postgresql://" + user + (password.empty() ? "" : ":" + password) + "@127.0.0.1:" + std::to_string(port_) +
           "/" + database;
}

std::string PgServer::adminUri(const std::string& database) const
{
    return "postgresql:///" + database + "?host=" + folder_ + "&port=" + std::to_string(port_) + "&user=postgres";
}
