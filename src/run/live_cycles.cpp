#include "run/live_cycles.h"

#include <algorithm>
#include <cmath>

#include "data/data_loader.h"
#include "run/result_rows.h"
#include "station.h"

namespace klv {

std::vector<CycleRow> liveCycleRows(const Station& station, int slot)
{
    LoadedData data;
    const TextGrid& list = station.run.slots.at(static_cast<size_t>(slot)).gridList;
    for (int r = 1; r <= lastFilledResultRow(list); ++r) {
        std::vector<std::string>& row = data.results.emplace_back();
        for (int c = 0; c < 6; ++c)
            row.push_back(list.at(r, c));
    }
    const CurveGraph& graph = station.ui.graphs.at(static_cast<size_t>(slot / kChannelsPerDevice));
    const int voltageCurve = 2 * (slot % kChannelsPerDevice);
    std::vector<CurvePoint> voltages, currents;
    graph.copyPoints(voltageCurve, voltages);
    graph.copyPoints(voltageCurve + 1, currents);
    const size_t records = std::min(voltages.size(), currents.size());
    for (size_t i = 0; i < records; ++i)
        data.records.push_back({static_cast<int>(std::lround(voltages[i].x)), currents[i].y, voltages[i].y});
    return cycleRows(stepTotals(data));
}

}  // namespace klv
