// The backup readers of continue on any ".bk0" and ".bk1": they restore what they can read,
// report the rest as unreadable, and leave the channel's tables usable.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "fuzz_input.h"
#include "link/registry.h"
#include "run/backup_restore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace klv;
    static fuzz::FuzzStation bench;
    Station& station = bench.station;
    static const auto pristine = [&] {
        DeviceEntry& dev = station.link.devices[0];
        dev.modelCode = 22;
        applyModelRow(dev);
        return std::make_tuple(station.run.slots[0], station.program.gridRun[0], station.link.slots[0]);
    }();
    // The channel as a fresh station has it; samples went onto the graph's first two curves.
    std::tie(station.run.slots[0], station.program.gridRun[0], station.link.slots[0]) = pristine;
    station.ui.graphs[0].Clear(0);
    station.ui.graphs[0].Clear(1);

    const auto [samples, results] = fuzz::splitInput(data, size);
    const std::vector<std::string> sampleLines = backupLines(samples);
    const std::vector<std::string> resultLines = backupLines(results);
    // Every line that has its end, and only those (a CR at the very end counts as one).
    const auto ends = static_cast<size_t>(std::count(samples.begin(), samples.end(), '\n'));
    fuzz::require(sampleLines.size() == ends + (samples.ends_with('\r') ? 1 : 0), "a torn last line left out");
    restoreSampleLines(station, 0, sampleLines);
    restoreResultLines(station, 0, resultLines);

    fuzz::require(station.program.stepCount[0] >= 0 && station.program.stepCount[0] <= 10, "a step count of the table");
    fuzz::require(std::isfinite(station.run.slots[0].energyOffset), "a finite energy offset");
    fuzz::require(station.run.slots[0].gridList.cols == 6, "the results table keeps its columns");
    fuzz::require(station.ui.graphs[0].DpCnt(0) <= static_cast<int>(sampleLines.size()), "a point a sample at most");
    return 0;
}
