#include <gtest/gtest.h>

#include "program/step_apply.h"
#include "step_tables.h"

namespace klv {
namespace {

using test::deviceOfModel;
using test::stepTable;

// Two devices: index 0 a TAL-M1 at bus address 0 (0.1..20 V), index 1 a TAL-M3 at bus address 2 (0..4.5 V).
LinkTables twoDevices()
{
    LinkTables link;
    link.devices[0] = deviceOfModel(test::kModelM1, 0);
    link.devices[1] = deviceOfModel(test::kModelM3, 2);
    return link;
}

bool untouched(const ProgramTables& program, int slot)
{
    const auto s = static_cast<size_t>(slot);
    return program.gridRun[s].cells == newStepTable().cells && program.stepCount[s] == 0 && program.loopCount[s] == 0 &&
           program.startStep[s] == 0 && program.upperVoltageLimit[s] == 4.55f && program.lowerVoltageLimit[s] == 1.5f;
}

TEST(StepApply, AChannelTargetReplacesThatChannelsWholeProgram)
{
    const LinkTables link = twoDevices();
    ProgramTables program;
    const int slot = slotOf(1, 2);
    program.gridRun[slot] = stepTable({{"恒压充", "0.500", "04.20", "0.050", "0"},
                                       {"搁置", "0.000", "00.00", "0.000", "5"},
                                       {"恒流放", "0.500", "02.75", "0.000", "0"},
                                       {"恒压充", "0.500", "04.20", "0.050", "0"}});
    const TextGrid edited = stepTable({{"恒流放", "0.500", "02.75", "0.000", "0"},
                                       {"恒压充", "0.500", "04.20", "0.050", "30"},
                                       {"循环", "0.000", "00.00", "0.000", "3"}});

    applyProgram(program, link, 1, edited, 2, "3");

    EXPECT_EQ(program.gridRun[slot].cells, edited.cells);
    EXPECT_EQ(program.stepCount[slot], 2);
    EXPECT_EQ(program.loopCount[slot], 3);
    EXPECT_EQ(program.startStep[slot], 2);
    EXPECT_FLOAT_EQ(program.upperVoltageLimit[slot], 4.4f);
    EXPECT_FLOAT_EQ(program.lowerVoltageLimit[slot], 2.55f);
    for (int s = 0; s < kSlotTableSize; ++s) {
        if (s != slot) {
            EXPECT_TRUE(untouched(program, s)) << s;
        }
    }
}

TEST(StepApply, DeviceAndAllTargetsGiveEachSlotItsOwnDevicesRatings)
{
    const LinkTables link = twoDevices();
    ProgramTables program;
    const TextGrid restOnly = stepTable({{"搁置", "00.00", "00.00", "00.00", "5"}});

    // Any text that is no channel number and not "全部" means the current device.
    applyProgram(program, link, 1, restOnly, 1, "设备3");
    for (int s = 0; s < 8; ++s)
        EXPECT_TRUE(untouched(program, s)) << s;
    for (int s = 8; s < 16; ++s) {
        EXPECT_EQ(program.stepCount[s], 1);
        EXPECT_EQ(program.upperVoltageLimit[s], 4.5f);
        EXPECT_EQ(program.lowerVoltageLimit[s], 0.0f);
    }

    applyProgram(program, link, 1, restOnly, 1, "全部");
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(program.gridRun[s].at(1, 1), "搁置");
        EXPECT_EQ(program.loopCount[s], 1);
        EXPECT_EQ(program.upperVoltageLimit[s], 20.0f);
        EXPECT_FLOAT_EQ(program.lowerVoltageLimit[s], 0.1f);
    }
    EXPECT_EQ(program.upperVoltageLimit[15], 4.5f);
    for (int s = 16; s < kSlotTableSize; ++s)
        EXPECT_TRUE(untouched(program, s)) << s;
}

TEST(StepApply, OnlyTheRowsThatRunAreJudgedAndEveryRowIsStored)
{
    // The TAL-M3 at index 1 takes at most 1 A; step 3 asks for 5 A.
    const LinkTables link = twoDevices();
    const RunTables run;
    const test::StepRowTexts discharge = {"恒流放", "0.500", "02.75", "0.000", "0"};
    const test::StepRowTexts tooStrong = {"恒流放", "5.000", "02.75", "0.000", "0"};
    const test::StepRowTexts loop = {"循环", "0.000", "00.00", "0.000", "3"};
    const struct {
        TextGrid edited;
        std::string fault;
    } cases[] = {
        {stepTable({discharge, loop, tooStrong}), ""},  // after the loop row: stored, never run
        {stepTable({discharge, tooStrong, loop}), "设备03 工步2：电流值超出范围（0.001～1 A）"},
        {stepTable({discharge, tooStrong}), "设备03 工步2：电流值超出范围（0.001～1 A）"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyFault(link, run, 1, c.edited, "1"), c.fault);

    ProgramTables program;
    applyProgram(program, link, 1, cases[0].edited, 1, "1");
    EXPECT_EQ(program.gridRun[slotOf(1, 0)].cells, cases[0].edited.cells);
    EXPECT_EQ(program.stepCount[slotOf(1, 0)], 1);
    EXPECT_EQ(program.loopCount[slotOf(1, 0)], 3);
}

TEST(StepApply, TargetsOutsideTheDevicesApplyNowhere)
{
    const LinkTables link = twoDevices();
    const TextGrid edited = stepTable({{"恒流放", "00.50", "02.75", "00.00", "0"}});
    ProgramTables program;
    for (const char* channel : {"0", "9", "-1", "99999"})
        applyProgram(program, link, 0, edited, 1, channel);
    applyProgram(program, link, -1, edited, 1, "1");
    applyProgram(program, link, 6, edited, 1, "设备7");
    for (int s = 0; s < kSlotTableSize; ++s)
        EXPECT_TRUE(untouched(program, s)) << s;

    // With no device registered "全部" has nothing to cover.
    applyProgram(program, LinkTables{}, 0, edited, 1, "全部");
    EXPECT_TRUE(untouched(program, 0));
}

TEST(StepApplyTargets, OnlyIdleChannelsAreOffered)
{
    const LinkTables link = twoDevices();
    RunTables run;
    UiTables ui;
    ui.currentDevice = 1;
    ui.panels[1].tiles[2].sel = true;
    ui.panels[1].tiles[4].sel = true;

    ApplyTargets all = offeredApplyTargets(link, run, ui);
    EXPECT_EQ(all.entries, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "设备3", "全部"}));
    EXPECT_EQ(all.preselect, "5");

    // A busy channel of another device withdraws "全部" only.
    run.slots[slotOf(0, 7)].busy = true;
    EXPECT_EQ(offeredApplyTargets(link, run, ui).entries,
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "设备3"}));

    // A busy channel of this device withdraws itself and the device entry; a busy selected
    // channel is not preselected.
    run.slots[slotOf(0, 7)].busy = false;
    run.slots[slotOf(1, 4)].busy = true;
    ApplyTargets some = offeredApplyTargets(link, run, ui);
    EXPECT_EQ(some.entries, (std::vector<std::string>{"1", "2", "3", "4", "6", "7", "8"}));
    EXPECT_EQ(some.preselect, "3");

    ui.panels[1].tiles[2].sel = false;
    EXPECT_EQ(offeredApplyTargets(link, run, ui).preselect, "设备3");

    // Slots beyond the registered devices do not count as busy.
    run.slots[slotOf(1, 4)].busy = false;
    run.slots[slotOf(2, 0)].busy = true;
    EXPECT_EQ(offeredApplyTargets(link, run, ui).entries.back(), "全部");

    ui.currentDevice = 6;
    EXPECT_TRUE(offeredApplyTargets(link, run, ui).entries.empty());
}

}  // namespace
}  // namespace klv
