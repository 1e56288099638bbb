#include "sim/pty_bridge.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace klv::sim {

namespace {
constexpr int kIdlePollMs = 10;
// With the station's side closed the master reports a hang-up at once; wait
// this long before looking again rather than spin.
constexpr auto kHangUpPause = std::chrono::milliseconds(20);

std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}
}  // namespace

PtyBridge::PtyBridge(SimBus& bus, std::string linkPath, bool lineTiming)
        : bus_(bus), linkPath_(std::move(linkPath)), lineTiming_(lineTiming)
{
    plugIn();
}

PtyBridge::~PtyBridge() { unplug(); }

void PtyBridge::plugIn()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        throw systemError("posix_openpt");
    try {
        termios raw{};
        if (grantpt(master_) != 0 || unlockpt(master_) != 0 || tcgetattr(master_, &raw) != 0)
            throw systemError("pseudo-terminal setup");
        cfmakeraw(&raw);
        if (tcsetattr(master_, TCSANOW, &raw) != 0 ||
            fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
            throw systemError("pseudo-terminal setup");
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0)
            throw systemError("ptsname");
        terminalPath_ = name;

        struct stat st {};
        if (lstat(linkPath_.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode))
                throw std::runtime_error(linkPath_ + " exists and is not a link");
            unlink(linkPath_.c_str());
        }
        if (symlink(terminalPath_.c_str(), linkPath_.c_str()) != 0)
            throw systemError("link " + linkPath_);
    } catch (...) {
        close(master_);
        master_ = -1;
        throw;
    }
}

void PtyBridge::unplug()
{
    if (master_ < 0)
        return;
    // Remove the link only while it still leads to this terminal.
    char target[256];
    ssize_t n = readlink(linkPath_.c_str(), target, sizeof target);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == terminalPath_)
        unlink(linkPath_.c_str());
    close(master_);
    master_ = -1;
    // What was on its way is lost with the line.
    output_.clear();
    unsent_.clear();
}

void PtyBridge::unplugWhileServing(Unplug unplug, std::function<void(const std::string&)> told)
{
    unplug_ = unplug;
    unplugFromMs_ = clock_.milliseconds();
    told_ = std::move(told);
}

void PtyBridge::followUnplug()
{
    if (!unplug_)
        return;
    const double seconds = static_cast<std::uint32_t>(clock_.milliseconds() - unplugFromMs_) / 1000.0;
    if (master_ >= 0 && seconds >= unplug_->atSeconds) {
        unplug();
        told_("unplugged");
    } else if (master_ < 0 && seconds >= unplug_->atSeconds + unplug_->forSeconds) {
        plugIn();
        unplug_.reset();
        told_(terminalPath_);
    }
}

std::uint64_t PtyBridge::nowUs()
{
    bus_.follow(clock_.milliseconds());
    return bus_.elapsedMs() * 1000;
}

void PtyBridge::serve(const volatile std::sig_atomic_t& stop)
{
    while (!stop) {
        followUnplug();
        if (master_ < 0) {
            nowUs();  // the cells age on while the line is gone
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
            continue;
        }
        transmit();
        int timeoutMs = kIdlePollMs;
        if (auto next = output_.nextDueUs()) {
            std::uint64_t now = nowUs();
            std::uint64_t untilMs = *next > now ? (*next - now + 999) / 1000 : 0;
            timeoutMs = static_cast<int>(std::min<std::uint64_t>(untilMs, kIdlePollMs));
        }
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            continue;  // timed out, or a signal came
        if (p.revents & POLLIN)
            receive();
        else if (p.revents & (POLLHUP | POLLERR))
            std::this_thread::sleep_for(kHangUpPause);
    }
}

void PtyBridge::receive()
{
    std::uint8_t buffer[256];
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno == EIO)  // the station closed its side; it may open it again
            std::this_thread::sleep_for(kHangUpPause);
        return;
    }
    std::uint64_t writeUs = nowUs();
    for (const Bytes& request : reader_.feed(Bytes(buffer, buffer + n)))
        if (auto reply = bus_.handle(request))
            output_.schedule(reply->bytes, writeUs, request.size(), reply->delayMs, lineTiming_);
}

void PtyBridge::transmit()
{
    Bytes due = output_.takeDue(nowUs());
    unsent_.insert(unsent_.end(), due.begin(), due.end());
    if (unsent_.empty())
        return;
    ssize_t n = write(master_, unsent_.data(), unsent_.size());
    if (n > 0)
        unsent_.erase(unsent_.begin(), unsent_.begin() + n);
    else if (n < 0 && errno != EAGAIN)
        unsent_.clear();  // nobody is listening: the bytes are lost, as on a real line
}

}  // namespace klv::sim
