#include "data/step_capacity.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/number_text.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kNoPass = 1000;

double cellValue(const std::string& text)
{
    const auto value = parseCellNumber(text);
    if (!value)
        throw std::invalid_argument("not a number: " + text);
    return *value;
}

int wholeCell(const std::string& text)
{
    return static_cast<int>(std::nearbyint(std::clamp(cellValue(text), -1e9, 1e9)));
}

}  // namespace

const char* capacityTypeText(CapacityType type)
{
    switch (type) {
    case CapacityType::Discharge:
        return "放电";
    case CapacityType::Charge:
        return "充电";
    case CapacityType::All:
        return "全部";
    }
    return "";
}

bool rowSelected(CapacityType type, const std::string& mode)
{
    const bool charge = mode == "恒压充", discharge = mode == "恒流放";
    switch (type) {
    case CapacityType::All:
        return charge || discharge;
    case CapacityType::Charge:
        return charge;
    case CapacityType::Discharge:
        return discharge;
    }
    return false;
}

std::vector<int> presentDevices(const Station& station)
{
    std::vector<int> present;
    for (int d = 0; d < kMaxDevices; ++d)
        if (station.link.devices[d].modelCode > 0)
            present.push_back(d);
    return present;
}

CycleRange offeredCycles(const Station& station, int firstDevice, int lastDevice)
{
    int m = kNoPass;
    for (int d = std::max(firstDevice, 0); d <= std::min(lastDevice, kMaxDevices - 1); ++d)
        for (int i = 0; i < kChannelsPerDevice; ++i)
            if (station.ui.panels[d].Conn[i])
                m = std::min(m, station.run.slots[slotOf(d, i)].loopPass);
    if (m == kNoPass || m <= 0)
        m = 1;
    return {m < 11 ? 1 : m - 10, m};
}

CapacitySnapshot snapshotChannels(const Station& station, const CapacityQuery& query)
{
    CapacitySnapshot snapshot{query, {}};
    for (int d = std::max(query.firstDevice, 0); d <= std::min(query.lastDevice, kMaxDevices - 1); ++d)
        for (int i = 0; i < kChannelsPerDevice; ++i) {
            const bool connected = station.ui.panels[d].Conn[i];
            snapshot.channels.push_back(
                {d, i, connected, connected ? station.run.slots[slotOf(d, i)].gridList : TextGrid{}});
        }
    return snapshot;
}

std::vector<SelectedStep> selectedSteps(const TextGrid& grid, const CapacityQuery& query, size_t limit)
{
    std::vector<SelectedStep> selected;
    for (int r = 1; r < grid.rows && !grid.at(r, 2).empty(); ++r) {
        const int cycle = wholeCell(grid.at(r, 0));
        const int step = wholeCell(grid.at(r, 1));
        const std::string& mode = grid.at(r, 2);
        if (cycle < query.firstCycle || cycle > query.lastCycle || !rowSelected(query.type, mode))
            continue;
        if (selected.size() >= limit)
            break;
        selected.push_back({cycle, step, mode, toSingle(cellValue(grid.at(r, 3)))});
    }
    return selected;
}

}  // namespace klv
