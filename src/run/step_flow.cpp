#include "run/step_flow.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <string>

#include "common/format.h"
#include "common/logs.h"
#include "data/data_lines.h"
#include "link/command_set.h"
#include "program/step_program.h"
#include "run/backup_files.h"
#include "run/channel_ops.h"
#include "run/grid_rows.h"
#include "run/lab_feed.h"
#include "run/result_rows.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kColorChargeStep = 0x0000FF;
constexpr int kColorRestStep = 0x00C0C0;
constexpr int kColorDischargeStep = 0x00C000;

// How far a stop before the time limit may lie from the step's cut-off and still count as reached.
constexpr double kDischargeVoltageMargin = 0.3;
constexpr double kChargeVoltageMargin = 0.03;
constexpr double kChargeEndCurrentMargin = 0.1;

int startModeOf(const std::string& label)
{
    if (label == stepModeLabel(kStepDischarge))
        return kModeDischarge;
    if (label == stepModeLabel(kStepCharge))
        return kModeCharge;
    return kModeRest;
}

int stepColor(int mode)
{
    switch (mode) {
    case kModeCharge:
        return kColorChargeStep;
    case kModeDischarge:
        return kColorDischargeStep;
    default:
        return kColorRestStep;
    }
}

// A set value of the step table; a cell that holds no number is a failure of the tick.
double stepValue(const TextGrid& table, int row, int col)
{
    const std::string& text = table.at(row, col);
    std::optional<double> value = parseCellNumber(text);
    if (!value)
        throw std::invalid_argument("step " + std::to_string(row) + " column " + std::to_string(col) + ": \"" + text +
                                    "\" is no number");
    return *value;
}

int minutesToSeconds(double minutes)
{
    return static_cast<int>(std::clamp(std::round(minutes * 60), double(INT_MIN), double(INT_MAX)));
}

bool stopAccepted(const SlotLink& link, const RunSlot& run)
{
    switch (link.startMode) {
    case kModeDischarge:
        return link.startVoltage + kDischargeVoltageMargin >= run.lastRunningVoltage;
    case kModeCharge:
        return run.lastRunningVoltage + kChargeVoltageMargin >= link.startVoltage &&
               link.startEndCurrent + kChargeEndCurrentMargin >= run.lastRunningCurrent;
    default:
        return true;
    }
}

void rejectStop(Station& station, int slot)
{
    RunSlot& run = station.run.slots.at(slot);
    const SlotLink& link = station.link.slots.at(slot);
    stopChannel(station, slot);
    const bool charge = link.startMode == kModeCharge;
    const float value = charge ? run.lastRunningCurrent : run.lastRunningVoltage;
    const float limit = charge ? link.startEndCurrent : link.startVoltage;
    klvLog(station, "ErrTmrRun(" + slotTag(slot) + ") " + std::to_string(link.startMode) + " " + shortText(value) +
                        " " + shortText(limit));
    run.phase = kPhaseLoad;
}

void advance(Station& station, int slot)
{
    RunSlot& run = station.run.slots.at(slot);
    if (run.currentStep < station.program.stepCount.at(slot)) {
        ++run.currentStep;
        setGridRows(run.gridList, run.gridList.rows + 1);
    } else if (run.loopPass < station.program.loopCount.at(slot)) {
        ++run.loopPass;
        run.currentStep = 1;
        setGridRows(run.gridList, run.gridList.rows + 1);
    } else {
        run.busy = false;
        run.testFinished = true;
        run.stepRowColor.fill(kColorButtonFace);
        if (station.lab)
            station.lab->testEnded(slot, true);
        autoSave(station, slot);
    }
}

void completeStep(Station& station, int slot)
{
    RunSlot& run = station.run.slots.at(slot);
    // A full disk keeps the line in memory; the step advances all the same.
    if (!run.backupBase.empty())
        appendResult(station, slot, resultLine(run.gridList, currentResultRow(run.gridList)));
    if (station.lab)
        station.lab->stepCompleted(slot, currentResultRow(run.gridList));
    run.phase = kPhaseLoad;
    advance(station, slot);
}

}  // namespace

void loadStep(Station& station, int slot)
{
    RunSlot& run = station.run.slots.at(slot);
    SlotLink& link = station.link.slots.at(slot);
    const TextGrid& table = station.program.gridRun.at(slot);
    const int row = run.currentStep;
    const std::string& label = table.at(row, kColMode);

    // Every cell is read before anything changes, so an unreadable step leaves the channel as it was.
    const float setCurrent = toSingle(stepValue(table, row, kColSetCurrent));
    const float setVoltage = toSingle(stepValue(table, row, kColSetVoltage));
    const float endCurrent = toSingle(stepValue(table, row, kColEndCurrent));
    const int timeLimit = minutesToSeconds(stepValue(table, row, kColTimeCount));

    link.startMode = startModeOf(label);
    link.startCurrent = setCurrent;
    link.startVoltage = setVoltage;
    link.startEndCurrent = endCurrent;
    run.stepTimeLimit = timeLimit;

    const int resultRow = lastFilledResultRow(run.gridList) + 1;
    run.gridList.at(resultRow, 0) = std::to_string(run.loopPass);
    run.gridList.at(resultRow, 1) = std::to_string(run.currentStep);
    run.gridList.at(resultRow, 2) = label;

    if (run.resume) {
        run.resumedStepSeconds = run.stepSeconds;
        run.resume = false;
    } else {
        run.stepSeconds = 0;
        run.resumedStepSeconds = 0;
        link.capacity = 0;
        link.capacityWrap = 0;
        link.energy = 0;
        run.energyOffset = 0;
    }

    if (link.startMode != kModeRest)
        AddCmd(station, slot, kQueueStart);
    run.phase = kPhaseStarting;
    run.testFinished = false;
    for (int r = 1; r <= kStepRows; ++r)
        run.stepRowColor.at(r) = r == row ? stepColor(link.startMode) : kColorButtonFace;
}

void endOfStep(Station& station, int slot)
{
    const RunSlot& run = station.run.slots.at(slot);
    const bool stoppedEarly = run.stepTimeLimit > 0 && run.stepSeconds < run.stepTimeLimit;
    if (stoppedEarly && !stopAccepted(station.link.slots.at(slot), run))
        rejectStop(station, slot);
    else
        completeStep(station, slot);
}

}  // namespace klv
