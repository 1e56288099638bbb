#include "program/step_editor.h"

#include "common/format.h"
#include "common/screen_text.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kLastStepIndex = kStepRows - 1;

std::string flowEntry(int step) { return fillIn(KLV_NOOP("Table", "工步%1"), {std::to_string(step)}); }

}  // namespace

void StepEditor::load(const Station& station)
{
    *this = StepEditor{};
    device_ = station.ui.currentDevice;
    if (device_ >= 0 && device_ < kMaxDevices)
        setCurrentScale_ = station.link.devices[device_].setCurrentScale;
    // The first rows take the device's current format too, not only those after a mode change.
    fields_ = defaultStepFields(kStepDischarge, setCurrentScale_);
    targets_ = offeredApplyTargets(station.link, station.run, station.ui);
    targetShown_ = targets_.preselect;
    // A preselected channel number is the selected idle channel: the editor starts from its program.
    const auto channel = parseCellNumber(targetShown_);
    if (channel) {
        const int slot = slotOf(device_, cellInteger(targetShown_) - 1);
        if (station.program.stepCount[slot] >= 1)
            copyFrom(station.program.gridRun[slot]);
    }
    chooseStep(0);
}

void StepEditor::chooseStep(int position)
{
    if (position < 0 || position >= static_cast<int>(flow_.size()))
        return;
    flowShown_ = position;
    if (position != currentStep_) {
        currentStep_ = position;
        if (table_.at(position + 1, kColSetCurrent).empty())
            return;
        showRowOf(position);
    }
    enableForMode(modeShown_);
}

void StepEditor::showRowOf(int position)
{
    const int row = position + 1;
    fields_ = {table_.at(row, kColSetCurrent), table_.at(row, kColSetVoltage), table_.at(row, kColEndCurrent),
               table_.at(row, kColTimeCount)};
    const int mode = stepModeCode(table_.at(row, kColMode));
    if (mode >= 0)
        storedMode_ = modeShown_ = mode;
}

void StepEditor::chooseMode(int mode)
{
    if (stepModeLabel(mode).empty())
        return;
    modeShown_ = mode;
    if (mode == storedMode_)
        return;
    storedMode_ = mode;
    fields_ = defaultStepFields(mode, setCurrentScale_);
    enableForMode(mode);
}

void StepEditor::enableForMode(int mode) { editable_ = editableStepFields(mode); }

void StepEditor::chooseStart(int position)
{
    if (position >= 0 && position < static_cast<int>(start_.size()))
        startShown_ = position;
}

void StepEditor::chooseTarget(const std::string& target) { targetShown_ = target; }

std::string& StepEditor::fieldText(StepField field)
{
    switch (field) {
    case StepField::SetCurrent:
        return fields_.setCurrent;
    case StepField::SetVoltage:
        return fields_.setVoltage;
    case StepField::EndCurrent:
        return fields_.endCurrent;
    case StepField::TimeCount:
        break;
    }
    return fields_.timeCount;
}

void StepEditor::typeField(StepField field, const std::string& text) { fieldText(field) = text; }

FieldCheck StepEditor::leaveField(StepField field, const DeviceEntry& device)
{
    static constexpr int kColumnOf[] = {kColSetCurrent, kColSetVoltage, kColEndCurrent, kColTimeCount};
    const int row = currentStep_ + 1;
    const std::string rowCell =
        row >= 1 && row <= kStepRows ? table_.at(row, kColumnOf[static_cast<int>(field)]) : std::string();
    FieldCheck check = checkStepField(field, fieldText(field), storedMode_, device, rowCell);
    fieldText(field) = check.text;
    return check;
}

std::string StepEditor::commit(const DeviceEntry& device)
{
    const RowCheck check = checkStepRow(storedMode_, fields_, device);
    if (!check.ok())
        return check.message;
    fields_ = check.fields;
    writeStepRow(table_, currentStep_ + 1, storedMode_, fields_);
    if (flowShown_ == static_cast<int>(flow_.size()) - 1 && currentStep_ < kLastStepIndex) {
        ++currentStep_;
        flow_.push_back(flowEntry(currentStep_ + 1));
        flowShown_ = currentStep_;
        fields_ = defaultStepFields(storedMode_, setCurrentScale_);
        enableForMode(storedMode_);
    }
    if (currentStep_ > 1)
        start_.push_back(std::to_string(currentStep_));
    return "";
}

void StepEditor::clear()
{
    clearSteps(table_);
    currentStep_ = 0;
    flow_ = {flowEntry(1)};
    flowShown_ = 0;
    start_ = {"1"};
    startShown_ = 0;
}

void StepEditor::loadFile(const TextGrid& read)
{
    clear();
    for (int r = 1; r <= kStepRows; ++r)
        for (int c = kColMode; c <= kColTimeCount; ++c)
            table_.at(r, c) = read.at(r, c);
    // The step after the last one read is listed, ready for the next commit.
    currentStep_ = 0;
    for (int r = 1; r <= kStepRows && !table_.at(r, kColMode).empty(); ++r) {
        if (currentStep_ <= kLastStepIndex - 1) {
            ++currentStep_;
            flow_.push_back(flowEntry(currentStep_ + 1));
        }
    }
}

void StepEditor::copyFrom(const TextGrid& source)
{
    for (int r = 1; r <= kStepRows; ++r)
        for (int c = kColMode; c <= kColTimeCount; ++c)
            table_.at(r, c) = source.at(r, c);
    appendStepEntries(source);
}

void StepEditor::appendStepEntries(const TextGrid& source)
{
    int count = 0;
    for (int r = 1; r <= kStepRows; ++r) {
        if (source.at(r, kColMode).empty())
            continue;
        if (++count >= 2) {
            flow_.push_back(flowEntry(count));
            start_.push_back(std::to_string(count));
        }
    }
}

std::string StepEditor::apply(Station& station) const
{
    const std::string fault = applyFault(station.link, station.run, device_, table_, targetShown_);
    if (!fault.empty())
        return fault;
    const int startStep = cellInteger(start_.at(static_cast<size_t>(startShown_)));
    applyProgram(station.program, station.link, device_, table_, startStep, targetShown_);
    return "";
}

std::vector<std::string> copySources(const LinkTables& link, const ProgramTables& program)
{
    std::vector<std::string> entries;
    for (int d = 0; d < kMaxDevices; ++d) {
        const DeviceEntry& device = link.devices[d];
        if (device.modelCode == 0)
            continue;
        for (int n = 0; n < kChannelsPerDevice; ++n)
            if (program.stepCount[slotOf(d, n)] > 0)
                entries.push_back(formatNumber(device.busAddress + 1, "00") + "-" + std::to_string(n + 1));
    }
    return entries;
}

std::optional<int> copySourceSlot(const LinkTables& link, const std::string& entry)
{
    if (entry.size() < 4)
        return std::nullopt;
    const int address = cellInteger(entry.substr(0, 2)) - 1;
    const int channel = cellInteger(entry.substr(entry.size() - 1)) - 1;
    if (channel < 0 || channel >= kChannelsPerDevice)
        return std::nullopt;
    const int d = deviceAtAddress(link, address);
    return d < 0 ? std::nullopt : std::optional<int>(slotOf(d, channel));
}

}  // namespace klv
