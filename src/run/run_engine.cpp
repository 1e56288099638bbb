#include "run/run_engine.h"

#include <exception>
#include <string>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "data/data_file.h"
#include "link/command_set.h"
#include "run/backup_files.h"
#include "run/channel_ops.h"
#include "run/display_update.h"
#include "run/lab_feed.h"
#include "run/live_data.h"
#include "run/step_flow.h"
#include "station.h"

namespace klv {

namespace {

// A channel stopped for a reading the display update found wrong: log line, history line, stop.
void errorStop(Station& station, int slot, const std::string& logWord, Text history)
{
    klvLog(station, "ErrtmrRun(" + slotTag(slot) + ") " + logWord + " Stop");
    const std::string name = std::to_string(deviceOfSlot(slot) + 1) + "-" + std::to_string(channelOfSlot(slot) + 1);
    station.ui.history.push_back(logTime(station.clock.now()) + "  " + fillIn(screenText(history), {name}));
    stopChannel(station, slot);
}

// Phase 1 while the device does not report the output on.
void startingTick(Station& station, int slot)
{
    RunSlot& run = station.run.slots[slot];
    if (station.link.slots[slot].startMode != kModeRest) {
        // A start the device missed is sent again every second.
        AddCmd(station, slot, kQueueStart);
        return;
    }
    // A rest step runs on the engine's count alone.
    ++run.stepSeconds;
    ++run.testSeconds;
    if (run.stepTimeLimit >= 1 && run.stepSeconds >= run.stepTimeLimit)
        run.phase = kPhaseRunning;
}

// Phase 1 or 2 while the device reports the output on.
void runningTick(Station& station, int slot)
{
    RunSlot& run = station.run.slots[slot];
    const SlotLink& link = station.link.slots[slot];
    ++run.stepSeconds;
    ++run.testSeconds;
    if (run.stepTimeLimit > 0 && run.stepSeconds >= run.stepTimeLimit)
        AddCmd(station, slot, kQueueStop);
    if (run.voltageError)
        errorStop(station, slot, "VolErr", KLV_TEXT("History", "通道%1电压出错"));
    else if (run.currentError)
        errorStop(station, slot, "CurErr", KLV_TEXT("History", "通道%1电流出错"));
    run.lastRunningVoltage = link.voltage;
    run.lastRunningCurrent = link.current;
    run.phase = kPhaseRunning;
}

void channelTurn(Station& station, int slot)
{
    const RunSlot& run = station.run.slots[slot];
    if (!run.busy)
        return;
    if (station.link.slots[slot].running && (run.phase == kPhaseStarting || run.phase == kPhaseRunning)) {
        runningTick(station, slot);
        return;
    }
    switch (run.phase) {
    case kPhaseLoad:
        loadStep(station, slot);
        break;
    case kPhaseStarting:
        startingTick(station, slot);
        break;
    case kPhaseRunning:
        endOfStep(station, slot);
        break;
    default:
        break;
    }
}

}  // namespace

void runTick(Station& station)
{
    reportFailedSaves(station);
    retryBackups(station);
    for (int d = 0; d < kMaxDevices; ++d) {
        if (station.link.devices[d].modelCode == 0)
            continue;
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            if (!station.ui.panels[d].Conn[n])
                continue;
            const int s = slotOf(d, n);
            // A failure ends this channel's turn only: a channel that fails at every tick
            // must not keep the channels after it from being started, timed and stopped.
            try {
                channelTurn(station, s);
            } catch (const std::exception& e) {
                klvLog(station, "ErrTmrRun(" + slotTag(s) + ")", e.what());
            }
            displayUpdate(station, s);
        }
    }
    syncBackups(station);
    if (station.lab)
        station.lab->runTicked();
}

}  // namespace klv
