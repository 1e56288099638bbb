#pragma once

#include <cstdint>
#include <string>

#include "common/index_table.h"

namespace klv {

inline constexpr int kMaxDevices = 6;
inline constexpr int kDeviceTableSize = 7;  // index 6 is never filled
inline constexpr int kChannelsPerDevice = 8;
inline constexpr int kSlotTableSize = 49;  // slot 48 is never used by a device
inline constexpr int kUsedSlots = kMaxDevices * kChannelsPerDevice;

// Per channel of a device: present, connected.
using ChannelFlags = IndexTable<bool, kChannelsPerDevice>;

inline int slotOf(int device, int channel) { return device * kChannelsPerDevice + channel; }
inline int deviceOfSlot(int slot) { return slot / kChannelsPerDevice; }
inline int channelOfSlot(int slot) { return slot % kChannelsPerDevice; }
// A channel as the error log names it: device index "-" channel number, both from 0.
inline std::string slotTag(int slot)
{
    return std::to_string(deviceOfSlot(slot)) + "-" + std::to_string(channelOfSlot(slot));
}
// A channel as file names and file headers name it: device index + 1, "-", channel + 1.
inline std::string slotName(int slot)
{
    return std::to_string(deviceOfSlot(slot) + 1) + "-" + std::to_string(channelOfSlot(slot) + 1);
}

// Command slot codes: what the next channel frame carries for a channel.
enum QueueCode : int { kQueueStart = 3, kQueueCalibration = 4, kQueueStop = 5, kQueueNothing = 6 };

// Start mode codes (the frame carries 16 + code).
enum StartMode : int { kModeDischarge = 0, kModeCharge = 1, kModeRest = 2 };

struct ModelRow {
    int code;
    const char* name;
    float maxCurrent, minCurrent, maxVoltage, minVoltage;
    int voltageScale, readingCurrentScale, setCurrentScale;
};

// Per device index.
struct DeviceEntry {
    std::uint8_t modelCode = 0;  // 0: no device at this index
    std::uint8_t secondIdentity = 0;
    int busAddress = 0;
    std::string modelName;
    float maxCurrent = 0, minCurrent = 0, maxVoltage = 0, minVoltage = 0;
    int voltageScale = 1000;
    int readingCurrentScale = 1000;
    int setCurrentScale = 100;
    int timeoutCount = 0;
    bool offline = false;
    // Since the port was lost this unit has not answered its identity again with its model:
    // it gets no channel frames, so no program of its tests reaches another unit.
    bool missing = false;
};

// Per channel slot: the command hand-over and the live readings.
struct SlotLink {
    int command = kQueueNothing;
    bool running = false;  // the device reports the channel's output on
    // A stop goes out in every frame until an answer shows the channel not running.
    bool stopPending = false;
    int stopSends = 0;
    bool stopUnconfirmed = false;  // five ticks have passed without that answer
    // The unit last reported the output on before the port was lost; cleared by its first
    // answer afterwards, or by a stop the station asks for meanwhile.
    bool runningAtLoss = false;
    float current = 0, voltage = 0, capacity = 0, capacityWrap = 0, energy = 0;
    int startMode = 0;
    float startCurrent = 0, startVoltage = 0, startEndCurrent = 0;
    int calibrationItem = 0;
    int calibrationValue = 0;
};

struct LinkTables {
    IndexTable<DeviceEntry, kDeviceTableSize> devices{};
    IndexTable<SlotLink, kSlotTableSize> slots{};
    bool connected = false;
    int portNumber = 0;
    int firstAddress = 0, lastAddress = 5;
    int pollToggle = 0;
    bool pollBusy = false;  // a poll tick is waiting for an answer
    // The port went away on its own; it is opened again by its number every two seconds.
    bool portLost = false;
    std::uint32_t lostAtMs = 0;
    std::uint32_t recoveryDueMs = 0;  // the next reopen or identity query of a missing unit
};

// The operator's name of a channel: bus address + 1, "-", channel + 1 (address 0, channel 2: 1-3).
std::string channelName(int address, int channel);

// The device index (0..5) of a registered unit at the bus address, or -1 when none answered there.
int deviceAtAddress(const LinkTables& link, int busAddress);

// The row of a model code; unknown codes get the fallback row "未知<code>" with ratings 0.
ModelRow modelRow(int code);
bool isKnownModel(int code);
// The model name as the screen shows it: an unknown model's "未知" and code translated.
std::string shownModelName(const DeviceEntry& device);
// Fill the device's name, ratings and scales from its model row.
void applyModelRow(DeviceEntry& device);

}  // namespace klv
