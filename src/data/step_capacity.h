#pragma once

#include <string>
#include <vector>

#include "common/text_grid.h"

namespace klv {

struct Station;

// The type box of the report and the screening: "放电", "充电", "全部".
enum class CapacityType { Discharge, Charge, All };
const char* capacityTypeText(CapacityType type);
// Whether a step result row of this mode counts: rest and loop rows never do.
bool rowSelected(CapacityType type, const std::string& mode);

// Device indexes of the present devices (a known model answered), in index order;
// the device boxes show each as bus address + 1.
std::vector<int> presentDevices(const Station& station);

struct CycleRange {
    int first = 1, last = 1;
};
// The cycles the boxes offer: up to ten passes back from the smallest loop pass of the connected
// channels of devices first..last (device indexes); 1..1 when there is none.
CycleRange offeredCycles(const Station& station, int firstDevice, int lastDevice);

// What the boxes ask for: device indexes first..last, cycles first..last, the type.
struct CapacityQuery {
    int firstDevice = 0, lastDevice = 0;
    int firstCycle = 1, lastCycle = 1;
    CapacityType type = CapacityType::Discharge;
};

// One selected row of a channel's step results table.
struct SelectedStep {
    int cycle = 0, step = 0;
    std::string mode;
    float capacity = 0;
};

// One channel of the device range as the report and the screening read it.
struct ChannelResults {
    int device = 0, channel = 0;
    bool connected = false;
    TextGrid results;  // the step results table; copied only for a connected channel
};

// What the report and the screening read of the bench, copied on the window's thread so
// that a worker can fill from it while the bench goes on: every channel of the query's
// device range, in device then channel order.
struct CapacitySnapshot {
    CapacityQuery query;
    std::vector<ChannelResults> channels;
};
CapacitySnapshot snapshotChannels(const Station& station, const CapacityQuery& query);

// The rows of a step results table that the query selects, from row 1 down to the first
// row without a mode; at most `limit` of them. Throws std::invalid_argument on a cell that does
// not read as its number.
std::vector<SelectedStep> selectedSteps(const TextGrid& results, const CapacityQuery& query, size_t limit);

}  // namespace klv
