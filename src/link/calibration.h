#pragma once

#include <string>

#include "link/registry.h"

namespace klv {

struct Station;

// The four reference points of a channel, by calibration item.
enum class CalPoint : int { VL = 0, VH = 1, CL = 2, CH = 3 };
inline constexpr int kCalCommitItem = 4;

// The text format of a point's field on the device: voltages "0.000"; currents "0.0000" on
// TAL-M3, "0.000" on TAL-M8 and any reading scale but 100, else "00.00".
std::string calibrationFormat(CalPoint point, const DeviceEntry& device);

// A check of a typed point value: the message to show, or the text and the value to send.
struct CalCheck {
    std::string message;
    std::string text;  // the value in the point's format
    int value = 0;     // what the unit is sent: mV, or the current in the model's unit
    bool ok() const { return message.empty(); }
};

// Leaving a field: a number within the device's range (voltages strictly inside it).
CalCheck checkCalibrationField(CalPoint point, const std::string& typed, const DeviceEntry& device);
// Pressing the point's button: the field check, then the value against the channel's live
// reading (within 10 %), then a value the frame can carry.
CalCheck checkCalibrationPoint(CalPoint point, const std::string& typed, const DeviceEntry& device,
                               const SlotLink& reading);

// Stores the item and value in the slot and queues the calibration write for its next frame.
void queueCalibration(Station& station, int slot, int item, int value);

}  // namespace klv
