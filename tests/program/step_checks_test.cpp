#include <gtest/gtest.h>

#include "program/step_checks.h"
#include "step_tables.h"

namespace klv {
namespace {

using test::deviceOfModel;
using test::kModelM1;
using test::kModelM3;

const std::string kBadData = "设置数据有误！";
const std::string kOutOfRange = "设置超出范围";

::testing::AssertionResult refused(const FieldCheck& check, const std::string& message, const std::string& restored)
{
    if (check.message == message && check.text == restored)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got \"" << check.message << "\" restoring \"" << check.text << "\"";
}

::testing::AssertionResult accepted(const FieldCheck& check, const std::string& text)
{
    if (check.ok() && check.text == text)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got \"" << check.message << "\" with \"" << check.text << "\"";
}

TEST(StepFieldCheck, RefusedFieldsRestoreTheRowCellOrTheDeviceMinimum)
{
    const DeviceEntry m1 = deviceOfModel(kModelM1);  // 0.01..5 A, 0.1..20 V
    const DeviceEntry m3 = deviceOfModel(kModelM3);  // 0.001..1 A, 0..4.5 V, currents in "0.000"

    EXPECT_TRUE(refused(checkStepField(StepField::SetCurrent, "abc", kStepDischarge, m1, "00.50"), kBadData, "00.50"));
    EXPECT_TRUE(refused(checkStepField(StepField::SetCurrent, "abc", kStepDischarge, m1, ""), kBadData, "00.01"));
    EXPECT_TRUE(refused(checkStepField(StepField::SetCurrent, "", kStepCharge, m3, ""), kBadData, "0.001"));
    EXPECT_TRUE(refused(checkStepField(StepField::SetVoltage, "4,2", kStepCharge, m1, ""), kBadData, "00.10"));
    EXPECT_TRUE(refused(checkStepField(StepField::TimeCount, "x", kStepRest, m1, ""), kBadData, "0"));
    // A field that modes do not use still has to hold a number.
    EXPECT_TRUE(refused(checkStepField(StepField::SetCurrent, "x", kStepRest, m1, ""), kBadData, "00.01"));

    EXPECT_TRUE(
        refused(checkStepField(StepField::SetCurrent, "5.01", kStepDischarge, m1, "00.50"), kOutOfRange, "00.50"));
    EXPECT_TRUE(refused(checkStepField(StepField::SetCurrent, "0.0009", kStepCharge, m3, ""), kOutOfRange, "0.001"));
    EXPECT_TRUE(refused(checkStepField(StepField::SetVoltage, "20.5", kStepCharge, m1, "04.20"), kOutOfRange, "04.20"));
    EXPECT_TRUE(refused(checkStepField(StepField::SetVoltage, "0.05", kStepDischarge, m1, ""), kOutOfRange, "00.10"));
    EXPECT_TRUE(refused(checkStepField(StepField::EndCurrent, "6", kStepCharge, m1, "00.05"), kOutOfRange, "00.05"));
    EXPECT_TRUE(refused(checkStepField(StepField::TimeCount, "10000", kStepDischarge, m1, "0"), kOutOfRange, "0"));
    EXPECT_TRUE(refused(checkStepField(StepField::TimeCount, "-1", kStepLoop, m1, "3"), kOutOfRange, "3"));
    // A loop row's set current is still held to the ratings.
    EXPECT_TRUE(refused(checkStepField(StepField::SetCurrent, "7", kStepLoop, m1, ""), kOutOfRange, "00.01"));
}

TEST(StepFieldCheck, RatingBoundsPassAndValuesTakeTheirFormat)
{
    const DeviceEntry m1 = deviceOfModel(kModelM1);
    const DeviceEntry m3 = deviceOfModel(kModelM3);

    EXPECT_TRUE(accepted(checkStepField(StepField::SetCurrent, "0.001", kStepDischarge, m3, ""), "0.001"));
    EXPECT_TRUE(accepted(checkStepField(StepField::SetCurrent, "1", kStepDischarge, m3, ""), "1.000"));
    EXPECT_TRUE(accepted(checkStepField(StepField::SetCurrent, " 5 ", kStepCharge, m1, ""), "05.00"));
    EXPECT_TRUE(accepted(checkStepField(StepField::EndCurrent, "0.05", kStepCharge, m3, ""), "0.050"));
    EXPECT_TRUE(accepted(checkStepField(StepField::SetVoltage, "0", kStepDischarge, m3, ""), "00.00"));
    EXPECT_TRUE(accepted(checkStepField(StepField::SetVoltage, "4.5", kStepCharge, m3, ""), "04.50"));
    EXPECT_TRUE(accepted(checkStepField(StepField::TimeCount, "0", kStepDischarge, m1, ""), "0"));
    EXPECT_TRUE(accepted(checkStepField(StepField::TimeCount, "9999", kStepLoop, m1, ""), "9999"));
    EXPECT_TRUE(accepted(checkStepField(StepField::TimeCount, "12.6", kStepRest, m1, ""), "12.6"));
}

TEST(StepFieldCheck, ValuesAModeDoesNotUseBecomeZero)
{
    const DeviceEntry m1 = deviceOfModel(kModelM1);
    const DeviceEntry m3 = deviceOfModel(kModelM3);
    EXPECT_TRUE(accepted(checkStepField(StepField::SetCurrent, "7", kStepRest, m1, ""), "00.00"));
    EXPECT_TRUE(accepted(checkStepField(StepField::SetVoltage, "99", kStepRest, m1, ""), "00.00"));
    EXPECT_TRUE(accepted(checkStepField(StepField::EndCurrent, "9", kStepDischarge, m1, ""), "00.00"));
    EXPECT_TRUE(accepted(checkStepField(StepField::EndCurrent, "9", kStepLoop, m3, ""), "0.000"));
}

TEST(StepRowCheck, TheFirstFailingCheckGivesTheMessage)
{
    const DeviceEntry m1 = deviceOfModel(kModelM1);
    auto message = [&](int mode, StepFields fields) { return checkStepRow(mode, fields, m1).message; };

    EXPECT_EQ(message(kStepRest, {"00.00", "00.00", "00.00", "0"}), "时间超出范围");
    EXPECT_EQ(message(kStepLoop, {"00.00", "00.00", "00.00", "0.4"}), "时间超出范围");
    EXPECT_EQ(message(kStepDischarge, {"00.50", "02.75", "00.00", "10000"}), "时间超出范围");
    EXPECT_EQ(message(kStepLoop, {"00.00", "00.00", "00.00", "10000"}), "时间超出范围");
    // Current before voltage before time.
    EXPECT_EQ(message(kStepDischarge, {"06.00", "30.00", "00.00", "10000"}), "电流值超出范围");
    EXPECT_EQ(message(kStepCharge, {"00.50", "30.00", "99.00", "10000"}), "电压值超出范围");
    EXPECT_EQ(message(kStepCharge, {"00.50", "04.20", "00.00", "10000"}), "电流值超出范围");
    EXPECT_EQ(message(kStepDischarge, {"00.50", "00.05", "00.00", "0"}), "电压值超出范围");
    // Values a mode does not use are not checked; the bounds themselves pass.
    EXPECT_EQ(message(kStepDischarge, {"05.00", "00.10", "99.00", "0"}), "");
    EXPECT_EQ(message(kStepCharge, {"00.01", "20.00", "00.01", "9999"}), "");
    EXPECT_EQ(message(kStepRest, {"99.00", "99.00", "99.00", "1"}), "");
    // Texts that hold no number never pass, even where a zero would.
    const DeviceEntry m3 = deviceOfModel(kModelM3);  // minimum voltage 0
    EXPECT_EQ(checkStepRow(kStepDischarge, {"0.500", "abc", "0.000", "0"}, m3).message, "电压值超出范围");
    EXPECT_EQ(checkStepRow(kStepCharge, {"0.500", "04.20", "", "0"}, m3).message, "电流值超出范围");
    EXPECT_EQ(message(kStepDischarge, {"00.50", "02.75", "00.00", ""}), "时间超出范围");
}

TEST(StepRowCheck, CommittedTimeIsRoundedAndTheRowWritten)
{
    const DeviceEntry m1 = deviceOfModel(kModelM1);
    const RowCheck charge = checkStepRow(kStepCharge, {"00.50", "04.20", "00.05", "12.6"}, m1);
    ASSERT_TRUE(charge.ok());
    EXPECT_EQ(charge.fields, (StepFields{"00.50", "04.20", "00.05", "13"}));
    EXPECT_EQ(checkStepRow(kStepRest, {"00.00", "00.00", "00.00", "2.5"}, m1).fields.timeCount, "3");
    EXPECT_EQ(checkStepRow(kStepDischarge, {"00.50", "02.75", "00.00", "0"}, m1).fields.timeCount, "0");

    TextGrid table = newStepTable();
    writeStepRow(table, 10, kStepCharge, charge.fields);
    EXPECT_EQ(table.at(10, 0), "10");
    EXPECT_EQ(table.at(10, 1), "恒压充");
    EXPECT_EQ(table.at(10, 2), "00.50");
    EXPECT_EQ(table.at(10, 3), "04.20");
    EXPECT_EQ(table.at(10, 4), "00.05");
    EXPECT_EQ(table.at(10, 5), "13");

    // Rows outside the ten step rows are left alone.
    const TextGrid before = table;
    writeStepRow(table, 0, kStepCharge, charge.fields);
    writeStepRow(table, 11, kStepCharge, charge.fields);
    EXPECT_EQ(table.cells, before.cells);
}

}  // namespace
}  // namespace klv
