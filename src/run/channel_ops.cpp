#include "run/channel_ops.h"

#include <string>
#include <utility>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "link/command_set.h"
#include "program/step_program.h"
#include "run/backup_files.h"
#include "run/backup_restore.h"
#include "run/lab_feed.h"
#include "run/test_unit.h"
#include "station.h"

namespace klv {

namespace {

// "启动通道2-4出错": a start or continue refused while the channel is in voltage error.
void refuse(Station& station, int slot, Text pattern)
{
    const std::string name = channelName(station.link.devices[deviceOfSlot(slot)].busAddress, channelOfSlot(slot));
    const std::string time = logTime(station.clock.now()) + "  ";
    station.ui.history.push_back(time + fillIn(screenText(pattern), {name}));
    sysLog(station, time + fillIn(fileText(pattern), {name}));
}

// A fresh plot and fresh counts for the channel: its two curves, the graph's time origin,
// the plotting memory, and the capacity and energy the device and the offsets hold.
void resetChannel(Station& station, int slot)
{
    const int n = channelOfSlot(slot);
    CurveGraph& graph = station.ui.graphs[deviceOfSlot(slot)];
    graph.Clear(2 * n);
    graph.Clear(2 * n + 1);
    graph.setMinX(0);

    RunSlot& run = station.run.slots[slot];
    run.timeAxisEnd = 0;
    run.volTop = run.volBottom = run.curTop = run.curBottom = 0;
    SlotLink& link = station.link.slots[slot];
    link.capacity = link.capacityWrap = link.energy = 0;
    run.energyOffset = 0;
    run.stepSeconds = 0;
    run.phase = kPhaseLoad;
}

}  // namespace

void startChannel(Station& station, int slot)
{
    RunSlot& run = station.run.slots[slot];
    if (run.voltageError) {
        refuse(station, slot, KLV_TEXT("History", "启动通道%1出错"));
        return;
    }
    resetChannel(station, slot);
    run.testSeconds = 0;
    run.resume = false;
    run.busy = true;
    const int startStep = station.program.startStep[slot];
    run.currentStep = startStep >= 1 ? startStep : 1;
    run.loopPass = 1;
    run.backupBase = backupBaseName(station, slot);
    createBackupFiles(station, slot);
    recordTestUnit(run.backupBase, unitOfSlot(station, slot));
    run.cell = std::exchange(run.cellToStart, {});
    if (!recordCell(run.backupBase, run.cell))
        klvLog(station, "无法写入 " + cellFilePath(run.backupBase));
    if (station.lab)
        station.lab->testStarted(slot, false);
}

void continueChannel(Station& station, int slot)
{
    RunSlot& run = station.run.slots[slot];
    if (run.voltageError) {
        refuse(station, slot, KLV_TEXT("History", "继续通道%1出错"));
        return;
    }
    resetChannel(station, slot);
    run.currentStep = 1;
    station.program.startStep[slot] = 1;
    run.loopPass = 1;
    UnitBackups backups = backupsOfUnit(station, slot);
    auto& refusals = station.run.unitRefusals;
    refusals.insert(refusals.end(), backups.refusals.begin(), backups.refusals.end());
    if (backups.base.empty())
        return;  // no test of this unit to take up
    const std::string& base = backups.base;
    run.cell = recordedCell(base);

    const RestoreOutcome program = restoreSamples(station, slot, base + ".bk0");
    if (program == RestoreOutcome::Unreadable)
        return;
    const RestoreOutcome results = restoreResults(station, slot, base + ".bk1");
    if (results == RestoreOutcome::Unreadable)
        return;
    const DeviceEntry& device = station.link.devices[deviceOfSlot(slot)];
    const VoltageWindow window = voltageWindow(station.program.gridRun[slot], device);
    station.program.upperVoltageLimit[slot] = window.upper;
    station.program.lowerVoltageLimit[slot] = window.lower;

    // Without the results there is no telling where the test stood, and without the
    // program there is nothing to run: either way the channel stays idle.
    if (program == RestoreOutcome::Missing || results == RestoreOutcome::Missing)
        return;
    if (run.loopPass <= station.program.loopCount[slot]) {
        run.busy = true;
        run.resume = true;
        run.backupBase = base;
        if (station.lab)
            station.lab->testStarted(slot, true);
    }
}

void stopChannel(Station& station, int slot)
{
    AddCmd(station, slot, kQueueStop);
    RunSlot& run = station.run.slots[slot];
    if (run.busy && station.lab)
        station.lab->testEnded(slot, false);
    run.busy = false;
    for (int row = 1; row <= kStepRows; ++row)
        run.stepRowColor[row] = kColorButtonFace;
    autoSave(station, slot);
}

}  // namespace klv
