#include "link/calibration.h"

#include <cmath>

#include "common/format.h"
#include "common/number_text.h"
#include "common/screen_text.h"
#include "link/command_set.h"
#include "link/frame.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kModelM3 = 20;
constexpr int kModelM8 = 28;

bool isVoltage(CalPoint point) { return point == CalPoint::VL || point == CalPoint::VH; }

const char* outOfRange(CalPoint point)
{
    switch (point) {
    case CalPoint::VL:
        return KLV_NOOP("Message", "低电压设置超出范围");
    case CalPoint::VH:
        return KLV_NOOP("Message", "高电压设置超出范围");
    case CalPoint::CL:
        return KLV_NOOP("Message", "小电流设置超出范围");
    case CalPoint::CH:
        break;
    }
    return KLV_NOOP("Message", "大电流设置超出范围");
}

// Millivolts; a current in 0.1 mA on TAL-M3 and TAL-M8's reading scale times ten, else in its reading scale.
double unitValue(CalPoint point, double x, const DeviceEntry& device)
{
    if (isVoltage(point))
        return x * 1000;
    const bool tenfold = device.modelCode == kModelM3 || device.modelCode == kModelM8;
    return x * device.readingCurrentScale * (tenfold ? 10 : 1);
}

}  // namespace

std::string calibrationFormat(CalPoint point, const DeviceEntry& device)
{
    if (isVoltage(point))
        return "0.000";
    if (device.modelCode == kModelM3)
        return "0.0000";
    if (device.modelCode == kModelM8 || device.readingCurrentScale != 100)
        return "0.000";
    return "00.00";
}

CalCheck checkCalibrationField(CalPoint point, const std::string& typed, const DeviceEntry& device)
{
    const auto x = parseCellNumber(typed);
    if (!x)
        return {KLV_NOOP("Message", "设置数据有误！"), typed, 0};
    // The checks compare singles, as the ratings are.
    const float single = toSingle(*x);
    const bool inRange = isVoltage(point) ? device.minVoltage < single && single < device.maxVoltage
                                          : device.minCurrent <= single && single <= device.maxCurrent;
    if (!inRange)
        return {outOfRange(point), typed, 0};
    // nearbyint in the default rounding mode: halves go to the even neighbour.
    const double value = std::nearbyint(unitValue(point, *x, device));
    // A value the frame cannot carry would be dropped from it without a word: refuse it here.
    if (value < 0 || value > kPairMax)
        return {outOfRange(point), typed, 0};
    return {"", formatNumber(*x, calibrationFormat(point, device)), static_cast<int>(value)};
}

CalCheck checkCalibrationPoint(CalPoint point, const std::string& typed, const DeviceEntry& device,
                               const SlotLink& reading)
{
    CalCheck check = checkCalibrationField(point, typed, device);
    if (!check.ok())
        return check;
    const float r = isVoltage(point) ? reading.voltage : reading.current;
    const float single = toSingle(*parseCellNumber(typed));
    if (!(0.9f * r <= single && single <= 1.1f * r))
        return {outOfRange(point), typed, 0};
    return check;
}

void queueCalibration(Station& station, int slot, int item, int value)
{
    SlotLink& link = station.link.slots.at(slot);
    link.calibrationItem = item;
    link.calibrationValue = value;
    AddCmd(station, slot, kQueueCalibration);
}

}  // namespace klv
