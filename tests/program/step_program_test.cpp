#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "program/step_program.h"
#include "step_tables.h"

namespace klv {
namespace {

using test::deviceOfModel;
using test::kModelM1;
using test::stepTable;

TEST(StepProgram, TablesStartEmptyWithTitlesNumbersAndTheDefaultWindow)
{
    ProgramTables program;
    for (int slot : {0, 47, 48}) {
        const TextGrid& table = program.gridRun[slot];
        ASSERT_EQ(table.rows, 11);
        ASSERT_EQ(table.cols, 6);
        EXPECT_EQ(table.at(0, 0), "工步");
        EXPECT_EQ(table.at(0, 1), "运行模式");
        EXPECT_EQ(table.at(0, 2), "设定电流");
        EXPECT_EQ(table.at(0, 3), "设定电压");
        EXPECT_EQ(table.at(0, 4), "终止电流");
        EXPECT_EQ(table.at(0, 5), "时间/次");
        for (int r = 1; r <= 10; ++r) {
            EXPECT_EQ(table.at(r, 0), std::to_string(r));
            for (int c = 1; c <= 5; ++c)
                EXPECT_TRUE(table.at(r, c).empty());
        }
        EXPECT_EQ(program.stepCount[slot], 0);
        EXPECT_EQ(program.loopCount[slot], 0);
        EXPECT_EQ(program.startStep[slot], 0);
        EXPECT_EQ(program.upperVoltageLimit[slot], 4.55f);
        EXPECT_EQ(program.lowerVoltageLimit[slot], 1.5f);
    }
}

TEST(StepProgram, ModeLabelsAndCodes)
{
    const char* labels[] = {"恒流放", "恒压充", "搁置", "循环"};
    for (int mode = 0; mode < 4; ++mode) {
        EXPECT_EQ(stepModeLabel(mode), labels[mode]);
        EXPECT_EQ(stepModeCode(labels[mode]), mode);
    }
    EXPECT_EQ(stepModeLabel(-1), "");
    EXPECT_EQ(stepModeLabel(4), "");
    EXPECT_EQ(stepModeCode(""), -1);
    EXPECT_EQ(stepModeCode("恒流"), -1);
}

TEST(StepProgram, DefaultsFollowTheModeAndTheDevicesCurrentFormat)
{
    EXPECT_EQ(defaultStepFields(kStepDischarge, 1000), (StepFields{"0.100", "01.00", "0.000", "0"}));
    EXPECT_EQ(defaultStepFields(kStepDischarge, 100), (StepFields{"00.10", "01.00", "00.00", "0"}));
    EXPECT_EQ(defaultStepFields(kStepCharge, 100), (StepFields{"00.10", "01.00", "00.10", "0"}));
    EXPECT_EQ(defaultStepFields(kStepCharge, 1000), (StepFields{"0.100", "01.00", "0.100", "0"}));
    EXPECT_EQ(defaultStepFields(kStepRest, 100), (StepFields{"00.00", "00.00", "00.00", "1"}));
    EXPECT_EQ(defaultStepFields(kStepLoop, 1000), (StepFields{"0.000", "00.00", "0.000", "1"}));

    EXPECT_EQ(editableStepFields(kStepDischarge), (EditableFields{true, true, false}));
    EXPECT_EQ(editableStepFields(kStepCharge), (EditableFields{true, true, true}));
    EXPECT_EQ(editableStepFields(kStepRest), (EditableFields{false, false, false}));
    EXPECT_EQ(editableStepFields(kStepLoop), (EditableFields{false, false, false}));

    EXPECT_EQ(timeCaption(kStepLoop), (TimeCaption{"循环次数", "次"}));
    for (int mode : {kStepDischarge, kStepCharge, kStepRest})
        EXPECT_EQ(timeCaption(mode), (TimeCaption{"终止时间", "分"}));
}

TEST(StepProgram, CountsStopAtTheFirstEmptyOrLoopRow)
{
    auto counts = [](const TextGrid& table) {
        StepCounts c = countSteps(table);
        return std::pair{c.stepCount, c.loopCount};
    };
    const test::StepRowTexts cc{"恒流放", "00.50", "02.75", "00.00", "0"};
    const test::StepRowTexts cv{"恒压充", "00.50", "04.20", "00.05", "0"};
    const test::StepRowTexts rest{"搁置", "00.00", "00.00", "00.00", "5"};

    EXPECT_EQ(counts(stepTable({})), std::pair(0, 1));
    EXPECT_EQ(counts(stepTable({cc, rest, cv})), std::pair(3, 1));
    EXPECT_EQ(counts(stepTable({cc, cv, {"循环", "00.00", "00.00", "00.00", "5"}, rest})), std::pair(2, 5));
    EXPECT_EQ(counts(stepTable({{"循环", "00.00", "00.00", "00.00", "7"}, cc})), std::pair(0, 7));
    EXPECT_EQ(counts(stepTable({cc, cv, cc, cv, cc, cv, cc, cv, cc, rest})), std::pair(10, 1));
    EXPECT_EQ(counts(stepTable({cc, cv, cc, cv, cc, cv, cc, cv, cc, {"循环", "", "", "", "4"}})), std::pair(9, 4));
    // Rows after an empty row never run.
    EXPECT_EQ(counts(stepTable({cc, {"", "", "", "", ""}, cv, {"循环", "", "", "", "3"}})), std::pair(1, 1));
    // A loop count from a hand-made file is taken whole and kept within 16 bits.
    EXPECT_EQ(counts(stepTable({cc, {"循环", "", "", "", "2.6"}})), std::pair(1, 3));
    EXPECT_EQ(counts(stepTable({cc, {"循环", "", "", "", "many"}})), std::pair(1, 0));
    EXPECT_EQ(counts(stepTable({cc, {"循环", "", "", "", "99999"}})), std::pair(1, 32767));
}

// Limits are singles from a sum in double, so allow the last bit to differ.
::testing::AssertionResult windowIs(VoltageWindow w, float upper, float lower)
{
    auto near = [](float a, float b) { return std::fabs(a - b) <= 1e-6f * std::max(1.0f, std::fabs(b)); };
    if (near(w.upper, upper) && near(w.lower, lower))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "window " << w.upper << " / " << w.lower << ", expected " << upper << " / "
                                         << lower;
}

TEST(StepProgram, VoltageWindowFromEveryChargeAndDischargeRow)
{
    const DeviceEntry m1 = deviceOfModel(kModelM1);  // 0.1..20 V
    auto charge = [](const std::string& volts) { return test::StepRowTexts{"恒压充", "00.50", volts, "00.05", "0"}; };
    auto discharge = [](const std::string& volts) {
        return test::StepRowTexts{"恒流放", "00.50", volts, "00.00", "0"};
    };
    const test::StepRowTexts rest{"搁置", "00.00", "00.00", "00.00", "5"};

    EXPECT_TRUE(windowIs(voltageWindow(stepTable({charge("04.20")}), m1), 4.4f, 2.7f));
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({charge("03.60")}), m1), 3.8f, 2.0f));
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({discharge("02.75"), charge("04.20")}), m1), 4.4f, 2.55f));
    // 3.90 + 0.2 is 4.1 in single precision, which is not above 4.1.
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({charge("03.90")}), m1), 4.1f, 2.0f));
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({charge("03.00")}), m1), 3.2f, 0.1f));
    // From a charge to 4.8 V on, the device's minimum stays.
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({charge("04.80")}), m1), 5.0f, 0.1f));
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({rest, rest}), m1), 20.0f, 0.1f));
    EXPECT_TRUE(windowIs(voltageWindow(stepTable({discharge("02.50"), discharge("03.00")}), m1), 20.0f, 2.3f));
    // Rows behind a loop row or an empty row still shape the window.
    const TextGrid scattered = stepTable(
        {discharge("03.00"), {"循环", "", "", "", "2"}, charge("04.20"), {"", "", "", "", ""}, discharge("02.50")});
    EXPECT_TRUE(windowIs(voltageWindow(scattered, m1), 4.4f, 2.3f));
}

TEST(StepProgram, ClearStopsAtTheFirstEmptyModeCell)
{
    TextGrid table = stepTable({{"恒流放", "00.50", "02.75", "00.00", "0"},
                                {"搁置", "00.00", "00.00", "00.00", "5"},
                                {"", "", "", "", "left"},
                                {"恒压充", "00.50", "04.20", "00.05", "0"}});
    clearSteps(table);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 5; ++c)
            EXPECT_TRUE(table.at(r, c).empty()) << r << "," << c;
    EXPECT_EQ(table.at(1, 0), "1");
    EXPECT_EQ(table.at(3, 5), "left");
    EXPECT_EQ(table.at(4, 1), "恒压充");
}

TEST(StepProgram, CellNumbers)
{
    EXPECT_EQ(parseCellNumber("1.5"), 1.5);
    EXPECT_EQ(parseCellNumber(" -2 "), -2.0);
    EXPECT_EQ(parseCellNumber("+.5"), 0.5);
    EXPECT_EQ(parseCellNumber("3."), 3.0);
    EXPECT_EQ(parseCellNumber("1e2"), 100.0);
    for (const char* text : {"", "  ", "abc", "1.2.3", "inf", "nan", "-inf", "+-1", "1e", "1,5", "1e999", "2A", "."})
        EXPECT_FALSE(parseCellNumber(text).has_value()) << text;

    EXPECT_EQ(cellInteger("12.6"), 13);
    EXPECT_EQ(cellInteger("2.5"), 3);
    EXPECT_EQ(cellInteger("x"), 0);
    EXPECT_EQ(cellInteger("-99999"), -32768);
    EXPECT_EQ(toSingle(1e300), std::numeric_limits<float>::max());
}

}  // namespace
}  // namespace klv
