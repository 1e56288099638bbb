#include "link/calibration.h"

#include <gtest/gtest.h>

namespace klv {
namespace {

DeviceEntry model(int code)
{
    DeviceEntry device;
    device.modelCode = static_cast<std::uint8_t>(code);
    applyModelRow(device);
    return device;
}

TEST(Calibration, ValuesAndFormatsFollowTheModel)
{
    struct Case {
        int code;
        CalPoint point;
        std::string typed, text;
        int value;
    };
    const Case cases[] = {
        {20, CalPoint::CL, "1.0", "1.0000", 10000},  // TAL-M3: 0.1 mA
        {28, CalPoint::CH, "1.0", "1.000", 1000},    // TAL-M8: reading scale 100, tenfold
        {31, CalPoint::CL, "1.0", "01.00", 100},     // TAL-M10: 10 mA
        {18, CalPoint::CH, "2.5", "2.500", 2500},    // TAL-M1: reading scale 1000
        {20, CalPoint::VL, "2.5", "2.500", 2500},   {20, CalPoint::VL, "0.0025", "0.003", 2},  // halves round to even
        {20, CalPoint::VL, "0.0035", "0.004", 4},   {20, CalPoint::VH, "0.0015", "0.002", 2},
        {28, CalPoint::CL, "0.1", "0.100", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + c.typed);
        const CalCheck check = checkCalibrationField(c.point, c.typed, model(c.code));
        ASSERT_TRUE(check.ok()) << check.message;
        EXPECT_EQ(check.text, c.text);
        EXPECT_EQ(check.value, c.value);
    }
}

TEST(Calibration, PointsNeedAReadingWithinTenPercent)
{
    const DeviceEntry m3 = model(20);
    SlotLink reading;
    // No current flows: only 0 is plausible, and 0 is below every model's minimum current.
    EXPECT_EQ(checkCalibrationPoint(CalPoint::CL, "0", m3, reading).message, "小电流设置超出范围");
    EXPECT_EQ(checkCalibrationPoint(CalPoint::CH, "0.5", m3, reading).message, "大电流设置超出范围");
    reading.current = 0.5f;
    EXPECT_TRUE(checkCalibrationPoint(CalPoint::CH, "0.55", m3, reading).ok());
    EXPECT_TRUE(checkCalibrationPoint(CalPoint::CH, "0.45", m3, reading).ok());
    EXPECT_FALSE(checkCalibrationPoint(CalPoint::CH, "0.551", m3, reading).ok());
    reading.voltage = 4.0f;
    EXPECT_TRUE(checkCalibrationPoint(CalPoint::VH, " 4.4 ", m3, reading).ok());
    EXPECT_EQ(checkCalibrationPoint(CalPoint::VH, "4.4V", m3, reading).message, "设置数据有误！");
    EXPECT_EQ(checkCalibrationPoint(CalPoint::VL, "4.5", m3, reading).message, "低电压设置超出范围")
        << "TAL-M3's maximum voltage is itself outside";
}

}  // namespace
}  // namespace klv
