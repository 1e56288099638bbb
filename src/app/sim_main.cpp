// klv-sim: a bench of simulated test units on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sim/pty_bridge.h"
#include "sim/sim_options.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

void onStopSignals()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);  // no SA_RESTART: a signal wakes the poll
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(klv::sim::kSimUsage, stdout);
        return 0;
    }
    klv::sim::SimOptions options;
    try {
        options = klv::sim::parseSimOptions(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "klv-sim: %s\n%s", e.what(), klv::sim::kSimUsage);
        return 2;
    }
    onStopSignals();
    try {
        klv::sim::SimBus bus;
        klv::sim::setUpBus(bus, options);
        for (const klv::sim::UnitOption& u : options.units)
            bus.unit(u.address)->onCalibration = [address = u.address](int channel, const klv::Bytes& entry) {
                std::printf("%s\n", klv::sim::calibrationLine(address, channel, entry).c_str());
                std::fflush(stdout);
            };
        klv::sim::PtyBridge bridge(bus, options.linkPath, options.lineTiming);
        auto say = [](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        };
        say(bridge.terminalPath());
        if (options.unplug)
            bridge.unplugWhileServing(*options.unplug, say);
        bridge.serve(stopRequested);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "klv-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
