#include "program/step_checks.h"

#include <cmath>

#include "common/format.h"

namespace klv {

namespace {

constexpr const char* kMsgBadData = "设置数据有误！";
constexpr const char* kMsgOutOfRange = "设置超出范围";
constexpr const char* kMsgTime = "时间超出范围";
constexpr const char* kMsgCurrent = "电流值超出范围";
constexpr const char* kMsgVoltage = "电压值超出范围";
constexpr double kMaxTimeCount = 9999;

// Ratings are singles, so a value meets them as a single: "0.001" must pass a minimum of 0.001f.
bool withinRating(double value, float low, float high)
{
    const float single = toSingle(value);
    return low <= single && single <= high;
}

// A text that holds no number is never within a rating.
bool textWithinRating(const std::string& text, float low, float high)
{
    const auto value = parseCellNumber(text);
    return value && withinRating(*value, low, high);
}

}  // namespace

FieldCheck checkStepField(StepField field, const std::string& entered, int mode, const DeviceEntry& device,
                          const std::string& rowCell)
{
    const int scale = device.setCurrentScale;
    const bool isCurrent = field == StepField::SetCurrent || field == StepField::EndCurrent;
    const std::string fallback = field == StepField::TimeCount ? "0"
                                 : isCurrent                   ? setCurrentText(device.minCurrent, scale)
                                                               : fmt00_00(device.minVoltage);
    auto fail = [&](const char* message) { return FieldCheck{message, rowCell.empty() ? fallback : rowCell}; };

    const auto value = parseCellNumber(entered);
    if (!value)
        return fail(kMsgBadData);
    switch (field) {
    case StepField::TimeCount:
        if (*value < 0 || *value > kMaxTimeCount)
            return fail(kMsgOutOfRange);
        return {"", entered};
    case StepField::SetVoltage:
        if (mode == kStepRest)
            return {"", "00.00"};
        if (!withinRating(*value, device.minVoltage, device.maxVoltage))
            return fail(kMsgOutOfRange);
        return {"", fmt00_00(*value)};
    case StepField::SetCurrent:
    case StepField::EndCurrent:
        break;
    }
    // The end current only matters to a charge; a rest sets no current at all.
    const bool rated = field == StepField::SetCurrent ? mode != kStepRest : mode == kStepCharge;
    if (!rated)
        return {"", setCurrentText(0, scale)};
    if (!withinRating(*value, device.minCurrent, device.maxCurrent))
        return fail(kMsgOutOfRange);
    return {"", setCurrentText(*value, scale)};
}

RowCheck checkStepRow(int mode, const StepFields& fields, const DeviceEntry& device)
{
    const auto time = parseCellNumber(fields.timeCount);
    if ((mode == kStepRest || mode == kStepLoop) && !(time && *time >= 1))
        return {kMsgTime, fields};
    if (mode == kStepDischarge || mode == kStepCharge) {
        if (!textWithinRating(fields.setCurrent, device.minCurrent, device.maxCurrent))
            return {kMsgCurrent, fields};
        if (!textWithinRating(fields.setVoltage, device.minVoltage, device.maxVoltage))
            return {kMsgVoltage, fields};
        if (mode == kStepCharge && !textWithinRating(fields.endCurrent, device.minCurrent, device.maxCurrent))
            return {kMsgCurrent, fields};
    }
    if (!(time && *time <= kMaxTimeCount))
        return {kMsgTime, fields};
    RowCheck checked{"", fields};
    // Half a minute rounds up, as the "0" format does.
    checked.fields.timeCount = formatNumber(std::round(*time), "0");
    return checked;
}

std::string programFault(const TextGrid& table, const DeviceEntry& device)
{
    for (int r = 1; r <= kStepRows && !table.at(r, kColMode).empty(); ++r) {
        const std::string step = "工步" + std::to_string(r) + "：";
        const int mode = stepModeCode(table.at(r, kColMode));
        if (mode < 0)
            return step + kMsgBadData;
        const StepFields fields{table.at(r, kColSetCurrent), table.at(r, kColSetVoltage), table.at(r, kColEndCurrent),
                                table.at(r, kColTimeCount)};
        const RowCheck check = checkStepRow(mode, fields, device);
        // The first loop row ends what runs; the rows after it are stored but never run.
        if (check.ok() && mode == kStepLoop)
            break;
        if (check.ok())
            continue;
        const std::string message = check.message;
        if (message == kMsgCurrent)
            return step + message + "（" + shortText(device.minCurrent) + "～" + shortText(device.maxCurrent) + " A）";
        if (message == kMsgVoltage)
            return step + message + "（" + shortText(device.minVoltage) + "～" + shortText(device.maxVoltage) + " V）";
        return step + message + (mode == kStepRest || mode == kStepLoop ? "（1～9999）" : "（0～9999）");
    }
    return "";
}

void writeStepRow(TextGrid& table, int row, int mode, const StepFields& fields)
{
    if (row < 1 || row > kStepRows)
        return;
    table.at(row, kColMode) = stepModeLabel(mode);
    table.at(row, kColSetCurrent) = fields.setCurrent;
    table.at(row, kColSetVoltage) = fields.setVoltage;
    table.at(row, kColEndCurrent) = fields.endCurrent;
    table.at(row, kColTimeCount) = fields.timeCount;
}

}  // namespace klv
