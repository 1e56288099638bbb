#pragma once

#include <vector>

#include "link/registry.h"
#include "sim/sim_cell.h"

namespace klv::sim {

struct CalibrationWrite {
    int item = 0;
    int value = 0;
    bool operator==(const CalibrationWrite&) const = default;
};

// One output of a unit and the cell on it.
struct SimChannel {
    bool present = true;
    SimCell cell;

    // Set by the last start command.
    StartMode mode = kModeRest;
    double setCurrent = 0;  // A
    double setVoltage = 0;  // V: the cut-off of a discharge, the charge voltage of a charge
    double endCurrent = 0;  // A

    bool running = false;
    double current = 0;     // A, what the output drives now
    double voltage = 0;     // V, at the terminals
    double capacityAh = 0;  // counted since the last start, never wrapped here
    double energyWh = 0;
    double seconds = 0;       // running time since the last start
    double runawayVolts = 0;  // added to the readings while a runaway fault lasts

    std::vector<CalibrationWrite> calibrationWrites;

    void start(StartMode startMode, double current, double voltage, double endCurrent);
    void stop();
    // dt seconds go by: the charge moves, then the output settles and may end the step.
    void tick(double dt);
    // The output's current and voltage for the present state of charge.
    void settle();
};

}  // namespace klv::sim
