#include "program/step_apply.h"

#include "common/format.h"
#include "common/screen_text.h"
#include "program/step_checks.h"
#include "program/step_program.h"

namespace klv {

namespace {

bool isDeviceIndex(int device) { return device >= 0 && device < kMaxDevices; }

// Devices take indexes in the order they answered, so the occupied indexes are 0..count-1.
int deviceCount(const LinkTables& link)
{
    int count = 0;
    for (int d = 0; d < kMaxDevices; ++d)
        count += link.devices[d].modelCode != 0 ? 1 : 0;
    return count;
}

std::vector<int> targetSlots(const std::string& target, int currentDevice, int devices)
{
    std::vector<int> slots;
    if (target == kApplyAllTarget) {
        for (int s = 0; s < devices * kChannelsPerDevice; ++s)
            slots.push_back(s);
    } else if (!isDeviceIndex(currentDevice)) {
        return slots;
    } else if (parseCellNumber(target)) {
        const int channel = cellInteger(target);
        if (channel >= 1 && channel <= kChannelsPerDevice)
            slots.push_back(slotOf(currentDevice, channel - 1));
    } else {
        for (int n = 0; n < kChannelsPerDevice; ++n)
            slots.push_back(slotOf(currentDevice, n));
    }
    return slots;
}

void applyToSlot(ProgramTables& program, int slot, const TextGrid& edited, int startStep, const DeviceEntry& device)
{
    const StepCounts counts = countSteps(edited);
    program.stepCount[slot] = counts.stepCount;
    program.loopCount[slot] = counts.loopCount;
    // Empty cells are copied too, so nothing of the slot's old program survives.
    TextGrid& table = program.gridRun[slot];
    for (int r = 1; r <= kStepRows; ++r)
        for (int c = kColMode; c <= kColTimeCount; ++c)
            table.at(r, c) = edited.at(r, c);
    const VoltageWindow window = voltageWindow(table, device);
    program.upperVoltageLimit[slot] = window.upper;
    program.lowerVoltageLimit[slot] = window.lower;
    program.startStep[slot] = startStep;
}

}  // namespace

ApplyTargets offeredApplyTargets(const LinkTables& link, const RunTables& run, const UiTables& ui)
{
    ApplyTargets targets;
    const int device = ui.currentDevice;
    if (!isDeviceIndex(device))
        return targets;
    // The run engine reads a busy channel's table while it runs, so only idle channels are offered.
    std::string selected;
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        if (run.slots[slotOf(device, n)].busy)
            continue;
        targets.entries.push_back(std::to_string(n + 1));
        if (ui.panels[device].tiles[n].sel)
            selected = targets.entries.back();
    }
    const std::string deviceEntry =
        fillIn(KLV_NOOP("Table", "设备%1"), {std::to_string(link.devices[device].busAddress + 1)});
    if (targets.entries.size() == kChannelsPerDevice)
        targets.entries.push_back(deviceEntry);
    bool anyBusy = false;
    for (int s = 0; s < deviceCount(link) * kChannelsPerDevice; ++s)
        anyBusy = anyBusy || run.slots[s].busy;
    if (!anyBusy)
        targets.entries.push_back(kApplyAllTarget);
    targets.preselect = selected.empty() ? deviceEntry : selected;
    return targets;
}

std::string applyFault(const LinkTables& link, const RunTables& run, int currentDevice, const TextGrid& edited,
                       const std::string& target)
{
    const std::vector<int> slots = targetSlots(target, currentDevice, deviceCount(link));
    for (int slot : slots) {
        const DeviceEntry& device = link.devices[slot / kChannelsPerDevice];
        // The run engine reads a running channel's table row by row: it keeps its program.
        if (run.slots[slot].busy)
            return fillIn(screenText(KLV_TEXT("Message", "%1正在运行，不能设置")),
                          {channelName(device.busAddress, slot % kChannelsPerDevice)});
    }
    for (int slot : slots) {
        const DeviceEntry& device = link.devices[slot / kChannelsPerDevice];
        const std::string fault = programFault(edited, device);
        if (!fault.empty())
            return fillIn(screenText(KLV_TEXT("Message", "设备%1 %2")),
                          {formatNumber(device.busAddress + 1, "00"), fault});
    }
    return "";
}

void applyProgram(ProgramTables& program, const LinkTables& link, int currentDevice, const TextGrid& edited,
                  int startStep, const std::string& target)
{
    for (int slot : targetSlots(target, currentDevice, deviceCount(link)))
        applyToSlot(program, slot, edited, startStep, link.devices[deviceOfSlot(slot)]);
}

}  // namespace klv
