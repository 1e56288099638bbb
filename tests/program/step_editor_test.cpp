#include <gtest/gtest.h>

#include "data/data_station.h"
#include "program/step_editor.h"
#include "step_tables.h"

using namespace klv;

// An edit session as the dialog drives it, on a TAL-M3 (at most 1 A) with no channel selected.
TEST(StepEditorTest, EditingCommitsRowsAndTheApplyJudgesOnlyTheRowsThatRun)
{
    DataStation b;
    b.station.link.devices[0] = test::deviceOfModel(test::kModelM3, 0);
    b.station.ui.currentDevice = 0;
    const DeviceEntry& device = b.station.link.devices[0];
    StepEditor editor;
    editor.load(b.station);
    EXPECT_EQ(editor.targetShown(), "设备1");
    EXPECT_EQ(editor.targets().entries.back(), "全部");
    EXPECT_EQ(editor.flowEntries(), std::vector<std::string>{"工步1"});

    // A refused field puts back the device minimum; a good one takes its format.
    editor.typeField(StepField::SetCurrent, "7");
    EXPECT_FALSE(editor.leaveField(StepField::SetCurrent, device).ok());
    editor.typeField(StepField::SetCurrent, "0.5");
    EXPECT_TRUE(editor.leaveField(StepField::SetCurrent, device).ok());
    EXPECT_EQ(editor.fields().setCurrent, "0.500");
    editor.typeField(StepField::SetVoltage, "2.75");
    EXPECT_EQ(editor.commit(device), "");
    EXPECT_EQ(editor.flowEntries(), (std::vector<std::string>{"工步1", "工步2"}));
    EXPECT_EQ(editor.currentStep(), 1);

    // A loop row leaves only the time/count field to edit.
    editor.chooseMode(kStepLoop);
    EXPECT_EQ(editor.editable(), (EditableFields{false, false, false}));
    editor.typeField(StepField::TimeCount, "3");
    EXPECT_EQ(editor.commit(device), "");
    EXPECT_EQ(editor.table().at(2, kColMode), "循环");
    EXPECT_EQ(editor.startEntries(), (std::vector<std::string>{"1", "2"}));

    // A step file with a refused row after the loop: stored, never run, and no bar to "确定".
    const test::StepRowTexts tooStrong = {"恒流放", "5.000", "02.75", "0.000", "0"};
    TextGrid withTail = editor.table();
    for (int c = 0; c < 5; ++c)
        withTail.at(3, c + 1) = tooStrong[static_cast<size_t>(c)];
    editor.loadFile(withTail);
    editor.chooseTarget("1");
    EXPECT_EQ(editor.apply(b.station), "");
    EXPECT_EQ(b.station.program.gridRun[0].at(3, kColSetCurrent), "5.000");
    EXPECT_EQ(b.station.program.stepCount[0], 1);
    EXPECT_EQ(b.station.program.loopCount[0], 3);

    // The same row before the loop runs, and is refused.
    editor.loadFile(test::stepTable({tooStrong}));
    EXPECT_EQ(editor.apply(b.station), "设备01 工步1：电流值超出范围（0.001～1 A）");
}
