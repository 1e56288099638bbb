#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "link/registry.h"
#include "platform/serial_port.h"
#include "sim/sim_channel.h"

namespace klv::sim {

// Trouble a unit can be told to make. The first seven concern the line and
// its answers; the last two its channels.
struct SimFaults {
    bool silent = false;                         // hears nothing, answers nothing
    std::optional<std::uint64_t> silentAfterMs;  // falls silent once the bus has run this long
    int shortBy = 0;                             // answers lose their last bytes
    bool badChecksum = false;
    int surplusBytes = 0;                 // bytes after the end byte
    std::uint32_t lateMs = 0;             // extra delay before the first answer byte
    int lostStopFrames = 0;               // this many frames carrying a stop never reach the unit
    int runawayChannel = -1;              // this channel's voltage climbs while it runs
    std::optional<int> stopAfterSeconds;  // every channel ends its step after this long
};

// The capacity counter of a unit restarts at this many ampere-hours.
inline constexpr double kCapacityWrapAh = 119.304;

using Presence = std::array<bool, kChannelsPerDevice>;
inline constexpr Presence kAllPresent{true, true, true, true, true, true, true, true};

// A test unit on the bus: answers the identity query and channel frames,
// and runs its channels' cells.
class SimUnit {
public:
    SimUnit(int address, int modelCode, Presence presence = kAllPresent);

    int address() const { return address_; }
    int modelCode() const { return model_.code; }
    SimChannel& channel(int n) { return channels_.at(static_cast<size_t>(n)); }
    const SimChannel& channel(int n) const { return channels_.at(static_cast<size_t>(n)); }

    // The answer to a request frame; nothing for a frame this unit does not take.
    std::optional<Bytes> answer(const Bytes& request);
    // dt seconds go by on every channel.
    void tick(double dt);
    // The terminal voltage as the readings show it, runaway included.
    double voltageReading(int n) const;

    std::uint8_t secondIdentity = 1;
    SimFaults faults;
    // Told of every calibration write a present channel takes, with its entry as it came.
    std::function<void(int channel, const Bytes& entry)> onCalibration;

private:
    Bytes identityPayload() const;
    std::optional<Bytes> channelPayload(const Bytes& request);
    void appendAnswer(int n, const std::uint8_t* entry, Bytes& out);
    void appendStatus(int n, Bytes& out) const;

    int address_;
    ModelRow model_;
    std::array<SimChannel, kChannelsPerDevice> channels_{};
};

}  // namespace klv::sim
