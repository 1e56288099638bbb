#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "platform/serial_port.h"
#include "sim/sim_unit.h"

namespace klv::sim {

struct SimReply {
    Bytes bytes;
    std::uint32_t delayMs = 0;  // before the first byte goes on the line
};

// Up to six units on one line, and the time they live in. Time comes from a
// wrapping millisecond clock (follow) or is handed over directly (elapse);
// the units live speed × that time, one step at a time.
class SimBus {
public:
    static constexpr int kMaxUnits = 6;

    // Throws std::invalid_argument for a seventh unit or an address in use.
    SimUnit& addUnit(int address, int modelCode, Presence presence = kAllPresent);
    SimUnit* unit(int address);

    // Virtual time for in-process tests: the units live this many seconds per second of
    // the clock, counters included. klv-sim's --speed is not this (see setUpBus).
    void setSpeed(double simulatedSecondsPerSecond) { speed_ = simulatedSecondsPerSecond; }
    // The time one step of the units' physics covers; one second unless made finer.
    void setStepSeconds(double seconds) { stepSeconds_ = seconds; }
    // Catch up with the clock; the first call only takes its reading.
    void follow(std::uint32_t clockMs);
    void elapse(std::uint64_t ms);
    std::uint64_t elapsedMs() const { return elapsedMs_; }

    // The addressed unit's answer as it leaves on the line, faults applied.
    std::optional<SimReply> handle(const Bytes& request);

private:
    std::deque<SimUnit> units_;  // stable references for the callers of addUnit
    double speed_ = 1.0;
    double stepSeconds_ = 1.0;
    std::optional<std::uint32_t> lastClockMs_;
    std::uint64_t elapsedMs_ = 0;
    double pendingSimulatedMs_ = 0;
};

}  // namespace klv::sim
