#pragma once

#include "common/text_grid.h"
#include "link/registry.h"

namespace klv {

// The step table: row 0 holds the column titles, rows 1..10 the steps; column 0 the step number.
inline constexpr int kStepRows = 10;
inline constexpr int kStepTableRows = kStepRows + 1;
inline constexpr int kStepTableCols = 6;
enum StepColumn : int {
    kColStepNo = 0,
    kColMode = 1,
    kColSetCurrent = 2,
    kColSetVoltage = 3,
    kColEndCurrent = 4,
    kColTimeCount = 5,
};

// Voltage window of a channel with no program applied yet.
inline constexpr float kDefaultUpperVoltage = 4.55f;
inline constexpr float kDefaultLowerVoltage = 1.5f;

// An empty step table: titles in row 0, the numbers "1".."10" in column 0.
TextGrid newStepTable();

// Per channel slot: the step program and the attributes derived when it is applied.
struct ProgramTables {
    ProgramTables();

    IndexTable<TextGrid, kSlotTableSize> gridRun;  // the step table, cells as the editor formatted them
    IndexTable<int, kSlotTableSize> stepCount{};   // rows before the first empty or loop row
    IndexTable<int, kSlotTableSize> loopCount{};   // passes through steps 1..stepCount
    IndexTable<int, kSlotTableSize> startStep{};   // the step a start begins at; below 1 means 1
    IndexTable<float, kSlotTableSize> upperVoltageLimit{};
    IndexTable<float, kSlotTableSize> lowerVoltageLimit{};
};

}  // namespace klv
