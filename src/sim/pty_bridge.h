#pragma once

#include <csignal>
#include <functional>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "sim/frame_reader.h"
#include "sim/line_queue.h"
#include "sim/sim_bus.h"
#include "sim/sim_options.h"

namespace klv::sim {

// The bench on a pseudo-terminal in raw mode: the station opens the terminal
// (or the link to it) as its serial port. One thread: poll, read, answer.
class PtyBridge {
public:
    // Throws std::runtime_error when the terminal or the link cannot be made.
    // A link already at linkPath is replaced; any other file there is left alone.
    PtyBridge(SimBus& bus, std::string linkPath, bool lineTiming);
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    const std::string& terminalPath() const { return terminalPath_; }
    // Answer requests, ageing the cells with the real clock, until stop is set.
    void serve(const volatile std::sig_atomic_t& stop);
    // Pull the adapter while serving, as the option says; told is called with "unplugged" and
    // then with the new terminal's path.
    void unplugWhileServing(Unplug unplug, std::function<void(const std::string&)> told);

private:
    void plugIn();
    void unplug();
    void followUnplug();
    std::uint64_t nowUs();
    void receive();
    void transmit();

    SimBus& bus_;
    std::string linkPath_;
    std::string terminalPath_;
    bool lineTiming_;
    int master_ = -1;
    SystemClock clock_;
    FrameReader reader_;
    LineQueue output_;
    Bytes unsent_;  // due, but the terminal did not take them yet
    std::optional<Unplug> unplug_;
    std::uint32_t unplugFromMs_ = 0;
    std::function<void(const std::string&)> told_;
};

}  // namespace klv::sim
