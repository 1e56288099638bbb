#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_bus.h"

namespace klv::sim {

struct Unplug {
    double atSeconds = 0, forSeconds = 0;
};

struct UnitOption {
    int address = 0;
    int modelCode = 0;
    Presence presence = kAllPresent;
};

// The command line of klv-sim.
struct SimOptions {
    std::string linkPath;
    std::vector<UnitOption> units;
    double speed = 1.0;  // cells 1/speed of their size: a bench that runs its tests sooner
    bool lineTiming = false;
    std::map<int, SimFaults> faults;  // by bus address
    // The adapter pulled: the terminal closed AT seconds after the start and a new one linked
    // at the same path FOR seconds later, the units running on through the gap.
    std::optional<Unplug> unplug;
};

extern const char* const kSimUsage;

// Throws std::invalid_argument with a message for the user. Without --unit
// the bench holds two units of different models at addresses 0 and 1.
SimOptions parseSimOptions(const std::vector<std::string>& args);

// Put the units and their faults on the bus, the cells sized for the speed.
void setUpBus(SimBus& bus, const SimOptions& options);

// The line klv-sim prints for a calibration write a channel took:
// "calibration 1-3: 77 02 29 A0 item 2 value 10000".
std::string calibrationLine(int address, int channel, const Bytes& entry);

}  // namespace klv::sim
