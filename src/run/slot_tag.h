#pragma once

#include <string>

#include "link/registry.h"

namespace klv {

inline int deviceOfSlot(int slot) { return slot / kChannelsPerDevice; }
inline int channelOfSlot(int slot) { return slot % kChannelsPerDevice; }

// A channel as the error log names it: device index "-" channel number, both from 0.
inline std::string slotTag(int slot)
{
    return std::to_string(deviceOfSlot(slot)) + "-" + std::to_string(channelOfSlot(slot));
}

}  // namespace klv
