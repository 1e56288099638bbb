#pragma once

#include <optional>
#include <string>

namespace klv::lab {

// What the lab page reads from the lab database, one struct per kind of row.

struct StationRow {
    std::string name, host, version;
    double lastSeen = 0;    // Unix seconds
    double ageSeconds = 0;  // now() − last_seen on the database's clock
    bool operator==(const StationRow&) const = default;
};

struct ChannelRow {
    std::string station;
    int device = 0, channel = 0;  // 1-based, as the operator says them
    std::string state, status;
    double voltage = 0, current = 0, capacity = 0, energy = 0;
    int step = 0, loopPass = 0;
    bool running = false;
    std::optional<std::string> testId;
    bool operator==(const ChannelRow&) const = default;
};

struct TestRow {
    std::string id, station;
    int device = 0, channel = 0;
    std::string model, program;
    double startedAt = 0;  // Unix seconds
    std::optional<double> endedAt;
    std::optional<std::string> endReason;
    std::optional<std::string> cellId;
    std::optional<double> nominalCapacity;  // Ah
};

struct StepResultRow {
    int cycle = 0, step = 0;
    std::string mode;
    double capacity = 0, energy = 0, seconds = 0;
};

}  // namespace klv::lab
