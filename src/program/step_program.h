#pragma once

#include <string>

#include "common/number_text.h"
#include "link/registry.h"
#include "program/program_tables.h"

namespace klv {

// Mode codes: the position of the label in the editor's mode chooser.
// The step table stores the label, never the code.
enum StepMode : int { kStepDischarge = 0, kStepCharge = 1, kStepRest = 2, kStepLoop = 3 };

// "恒流放", "恒压充", "搁置", "循环"; empty for a code outside 0..3.
std::string stepModeLabel(int mode);
// The code of a mode label; -1 when the text is no label.
int stepModeCode(const std::string& label);

// A set current as the step table holds it: "0.000" on a device whose set-current scale is 1000,
// otherwise "00.00".
std::string setCurrentText(double amps, int setCurrentScale);

// The editor's four fields of a step row.
struct StepFields {
    std::string setCurrent, setVoltage, endCurrent, timeCount;
    bool operator==(const StepFields&) const = default;
};

// What the fields read when a mode is chosen or a new step is opened.
StepFields defaultStepFields(int mode, int setCurrentScale);

// Which value fields a mode lets the user edit; the time/count field is always editable.
struct EditableFields {
    bool setCurrent, setVoltage, endCurrent;
    bool operator==(const EditableFields&) const = default;
};
EditableFields editableStepFields(int mode);

// Caption and unit of the time/count field: passes on a loop row, minutes otherwise.
struct TimeCaption {
    std::string label, unit;
    bool operator==(const TimeCaption&) const = default;
};
TimeCaption timeCaption(int mode);

// Steps before the first empty or loop row, and the passes through them.
struct StepCounts {
    int stepCount = 0, loopCount = 1;
};
StepCounts countSteps(const TextGrid& table);

// The window a charging channel's voltage must stay in, from every charge and discharge row
// of the table and the device's voltage ratings.
struct VoltageWindow {
    float upper = kDefaultUpperVoltage, lower = kDefaultLowerVoltage;
};
VoltageWindow voltageWindow(const TextGrid& table, const DeviceEntry& device);

// Empties columns 1..5 of the rows from row 1 up to the first row whose mode cell is already empty.
void clearSteps(TextGrid& table);

}  // namespace klv
