#pragma once

#include <string>
#include <vector>

#include "common/screen_text.h"
#include "link/registry.h"
#include "program/program_tables.h"
#include "run/run_tables.h"
#include "view/ui_tables.h"

namespace klv {

// Apply target covering every channel of every device.
inline constexpr const char* kApplyAllTarget = KLV_NOOP("Table", "全部");

// The targets the editor may offer for the current device: its idle channels as "1".."8",
// "设备" + (bus address + 1) when all eight are idle, "全部" when no channel of any device is busy;
// and the entry to show first: the last selected idle channel, else the device entry's text.
struct ApplyTargets {
    std::vector<std::string> entries;
    std::string preselect;
};
ApplyTargets offeredApplyTargets(const LinkTables& link, const RunTables& run, const UiTables& ui);

// Why the edited table may not go to a target: a target channel that is running, or a step
// that a target device's ratings refuse, named with the device, the step and the limit.
// Empty when it may.
std::string applyFault(const LinkTables& link, const RunTables& run, int currentDevice, const TextGrid& edited,
                       const std::string& target);

// Applies the edited table (rows 1..10, columns 1..5) to a target: a channel number of the
// current device, "全部" for all eight slots of every device, any other text for all eight slots
// of the current device. Each slot gets the rows, step and loop count, the start step and the
// voltage window from its own device's ratings. A channel number outside 1..8 applies nowhere.
void applyProgram(ProgramTables& program, const LinkTables& link, int currentDevice, const TextGrid& edited,
                  int startStep, const std::string& target);

}  // namespace klv
