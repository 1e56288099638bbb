#include "run/live_data.h"

#include <exception>
#include <string>

#include "common/logs.h"
#include "data/data_lines.h"
#include "run/backup_files.h"
#include "run/curve_plot.h"
#include "run/lab_feed.h"
#include "station.h"

namespace klv {

namespace {

void record(Station& station, int slot)
{
    const RunSlot& run = station.run.slots.at(slot);
    const SlotLink& link = station.link.slots.at(slot);
    const int d = deviceOfSlot(slot), n = channelOfSlot(slot);
    const DeviceEntry& dev = station.link.devices.at(d);
    // A reading above the device's rating is an error, not a sample.
    if (!run.busy || link.voltage > dev.maxVoltage)
        return;
    const bool selected = station.ui.panels.at(d).tiles.at(n).sel;
    curveRoutine(station, slot, run.testSeconds, link.voltage, link.current, selected);
    const CurveGraph& graph = station.ui.graphs.at(d);
    const float seconds = graph.DpX(2 * n, graph.DpCnt(2 * n) - 1);
    // The lab gets the sample only once the backup holds it or keeps it in memory: a station
    // killed in between would otherwise continue with a different sample under the same number.
    if (!run.backupBase.empty())
        appendSample(station, slot, sampleLine(seconds, link.current, link.voltage, dev.readingCurrentScale));
    if (station.lab)
        station.lab->sampleRecorded(slot);
}

}  // namespace

void recordStep(Station& station, int slot)
{
    try {
        record(station, slot);
    } catch (const std::exception& e) {
        klvLog(station, "ErrShowData2(" + std::to_string(slot) + ")", e.what());
    }
}

void installLiveData(Station& station)
{
    station.onLiveData = [&station](int slot) { recordStep(station, slot); };
}

}  // namespace klv
