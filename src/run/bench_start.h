#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/channel_menu.h"

namespace klv {

struct Station;
struct TextGrid;

// A channel as the operator names it: device number (bus address + 1), channel number, from 1.
struct ChannelName {
    int device = 0, channel = 0;
};

// "1-1,1-2,2-3" as channel names; "all" gives the empty list (every present channel).
// Nothing when an item does not read as device 1..6, channel 1..8.
std::optional<std::vector<ChannelName>> parseChannelList(const std::string& text);

// The slots of the named channels (the empty list: every present channel);
// nothing when a named channel is not on the bench.
std::optional<std::vector<int>> slotsOfChannels(const Station& station, const std::vector<ChannelName>& names);

// Start or continue the slots as the "多个" items do on a selection, with the program
// applied to each slot first when one is given. The slots become the selection.
void startSlots(Station& station, const std::vector<int>& slots, const TextGrid* program, ChannelOp op);

}  // namespace klv
