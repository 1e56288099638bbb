#include "sim/sim_channel.h"

#include <algorithm>

namespace klv::sim {

void SimChannel::start(StartMode startMode, double startCurrent, double startVoltage, double startEndCurrent)
{
    mode = startMode;
    setCurrent = startCurrent;
    setVoltage = startVoltage;
    endCurrent = startEndCurrent;
    running = true;
    capacityAh = 0;
    energyWh = 0;
    seconds = 0;
    runawayVolts = 0;
    settle();
}

void SimChannel::stop()
{
    running = false;
    settle();
}

void SimChannel::tick(double dt)
{
    if (!running) {
        settle();
        return;
    }
    double ampHours = current * dt / 3600;
    cell.stateOfCharge += (mode == kModeCharge ? ampHours : -ampHours) / cell.capacityAh;
    capacityAh += ampHours;
    energyWh += ampHours * voltage;
    seconds += dt;
    settle();
    if (mode == kModeDischarge && voltage <= setVoltage)
        stop();
    // The charge current has fallen below the set current once the set voltage is reached.
    if (mode == kModeCharge && current < setCurrent && current <= endCurrent)
        stop();
}

void SimChannel::settle()
{
    double open = cell.openCircuitVoltage();
    if (!running || mode == kModeRest) {
        current = 0;
        voltage = open;
    } else if (mode == kModeDischarge) {
        current = setCurrent;
        voltage = open - current * cell.resistanceOhm;
    } else {
        current = std::clamp((setVoltage - open) / cell.resistanceOhm, 0.0, setCurrent);
        voltage = open + current * cell.resistanceOhm;
    }
}

}  // namespace klv::sim
