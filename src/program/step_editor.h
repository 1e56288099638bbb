#pragma once

#include <optional>
#include <string>
#include <vector>

#include "program/step_apply.h"
#include "program/step_checks.h"
#include "program/step_program.h"

namespace klv {

struct Station;

// The step program editor without its window: the edited table, the entries of the step and
// start-step choosers, the step being edited, the mode and the four field texts. The dialog
// paints this and turns each user action into one call.
class StepEditor {
public:
    // As the editor opens for the station's current device: an empty program, or the
    // selected idle channel's program, and the targets it may be applied to.
    void load(const Station& station);

    const TextGrid& table() const { return table_; }
    const std::vector<std::string>& flowEntries() const { return flow_; }
    int flowShown() const { return flowShown_; }
    const std::vector<std::string>& startEntries() const { return start_; }
    int startShown() const { return startShown_; }
    const ApplyTargets& targets() const { return targets_; }
    const std::string& targetShown() const { return targetShown_; }
    int device() const { return device_; }
    int currentStep() const { return currentStep_; }
    int modeShown() const { return modeShown_; }
    const StepFields& fields() const { return fields_; }
    const EditableFields& editable() const { return editable_; }
    TimeCaption caption() const { return timeCaption(storedMode_); }

    // The user picked an entry of a chooser.
    void chooseStep(int position);
    void chooseMode(int mode);
    void chooseStart(int position);
    void chooseTarget(const std::string& target);

    // Text typed into a field, not yet checked.
    void typeField(StepField field, const std::string& text);
    // The user left a field: its check; a failure has put the row's text back.
    FieldCheck leaveField(StepField field, const DeviceEntry& device);
    // "设定": the row check's message, or empty when the row was written.
    std::string commit(const DeviceEntry& device);
    // "清除".
    void clear();
    // A program from a step file or another channel replaces the table; the choosers follow.
    void loadFile(const TextGrid& read);
    void copyFrom(const TextGrid& source);

    // "确定": the fault that keeps the program from the chosen targets, or empty once applied.
    std::string apply(Station& station) const;

private:
    void showRowOf(int position);
    void enableForMode(int mode);
    void appendStepEntries(const TextGrid& source);
    std::string& fieldText(StepField field);

    TextGrid table_ = newStepTable();
    std::vector<std::string> flow_{"工步1"};
    int flowShown_ = 0;
    std::vector<std::string> start_{"1"};
    int startShown_ = 0;
    ApplyTargets targets_;
    std::string targetShown_;
    int device_ = -1;
    int setCurrentScale_ = 100;
    int currentStep_ = -1;
    int storedMode_ = 0;
    int modeShown_ = 0;
    StepFields fields_ = defaultStepFields(kStepDischarge, 100);
    EditableFields editable_{true, true, false};
};

// The channels whose program the editor may copy, as "02-3" for bus address 1, channel index 2:
// every occupied device in index order, every channel with at least one step.
std::vector<std::string> copySources(const LinkTables& link, const ProgramTables& program);
// The slot a copy source names; nothing when no occupied device has its bus address.
std::optional<int> copySourceSlot(const LinkTables& link, const std::string& entry);

}  // namespace klv
