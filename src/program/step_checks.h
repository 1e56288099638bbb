#pragma once

#include <string>

#include "link/registry.h"
#include "program/program_tables.h"
#include "program/step_program.h"

namespace klv {

enum class StepField { SetCurrent, SetVoltage, EndCurrent, TimeCount };

// A field check: on success the text the field should show; on failure the message to show
// and the text to put back into the field.
struct FieldCheck {
    std::string message;
    std::string text;
    bool ok() const { return message.empty(); }
};

// Checks a field the user leaves, against the current device's ratings. rowCell is the field's
// cell in the step row being edited: the text a failure restores, unless it is empty.
FieldCheck checkStepField(StepField field, const std::string& entered, int mode, const DeviceEntry& device,
                          const std::string& rowCell);

// A row check: on success the fields as the row gets them (time/count rounded to a whole number);
// on failure the message, and nothing is to be written.
struct RowCheck {
    std::string message;
    StepFields fields;
    bool ok() const { return message.empty(); }
};
RowCheck checkStepRow(int mode, const StepFields& fields, const DeviceEntry& device);

// The first step row that runs (before the first empty row, up to the first loop row) that the
// device's ratings refuse, named with its step and the limit ("工步2：电流值超出范围（0.001～1 A）");
// empty when every such row passes.
std::string programFault(const TextGrid& table, const DeviceEntry& device);

// Writes a checked row into step row 1..10 of a table: mode label and the four fields.
void writeStepRow(TextGrid& table, int row, int mode, const StepFields& fields);

}  // namespace klv
