#include "program/step_program.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/format.h"
#include "common/screen_text.h"

namespace klv {

namespace {

constexpr std::array<const char*, 4> kModeLabels = {KLV_NOOP("Table", "恒流放"), KLV_NOOP("Table", "恒压充"),
                                                    KLV_NOOP("Table", "搁置"), KLV_NOOP("Table", "循环")};

// "No charge row" and "no discharge row" are told by these start values surviving the scan.
constexpr float kNoCharge = 0.0f;
constexpr float kNoDischarge = 100.0f;
constexpr double kWindowMargin = 0.2;

float cellVolts(const std::string& text) { return toSingle(parseCellNumber(text).value_or(0.0)); }

}  // namespace

std::string stepModeLabel(int mode)
{
    return mode >= 0 && mode < static_cast<int>(kModeLabels.size()) ? kModeLabels[static_cast<size_t>(mode)] : "";
}

int stepModeCode(const std::string& label)
{
    auto it = std::find(kModeLabels.begin(), kModeLabels.end(), label);
    return it == kModeLabels.end() ? -1 : static_cast<int>(it - kModeLabels.begin());
}

std::string setCurrentText(double amps, int setCurrentScale)
{
    return formatNumber(amps, setCurrentScale == 1000 ? "0.000" : "00.00");
}

StepFields defaultStepFields(int mode, int setCurrentScale)
{
    const std::string zero = setCurrentText(0, setCurrentScale);
    const std::string tenth = setCurrentText(0.1, setCurrentScale);
    switch (mode) {
    case kStepDischarge:
        return {tenth, "01.00", zero, "0"};
    case kStepCharge:
        return {tenth, "01.00", tenth, "0"};
    default:
        return {zero, "00.00", zero, "1"};
    }
}

EditableFields editableStepFields(int mode)
{
    const bool driven = mode != kStepRest && mode != kStepLoop;
    return {driven, driven, mode == kStepCharge};
}

TimeCaption timeCaption(int mode)
{
    return mode == kStepLoop ? TimeCaption{KLV_NOOP("Table", "循环次数"), KLV_NOOP("Table", "次")}
                             : TimeCaption{KLV_NOOP("Table", "终止时间"), KLV_NOOP("Table", "分")};
}

StepCounts countSteps(const TextGrid& table)
{
    const std::string loop = stepModeLabel(kStepLoop);
    int row = 1;
    while (row <= kStepRows && !table.at(row, kColMode).empty() && table.at(row, kColMode) != loop)
        ++row;
    StepCounts counts;
    counts.stepCount = row - 1;
    if (row <= kStepRows && table.at(row, kColMode) == loop)
        counts.loopCount = cellInteger(table.at(row, kColTimeCount));
    return counts;
}

VoltageWindow voltageWindow(const TextGrid& table, const DeviceEntry& device)
{
    const std::string discharge = stepModeLabel(kStepDischarge);
    const std::string charge = stepModeLabel(kStepCharge);
    float highestCharge = kNoCharge;
    float lowestDischarge = kNoDischarge;
    // Every row counts, also those after an empty or loop row.
    for (int r = 1; r <= kStepRows; ++r) {
        const std::string& mode = table.at(r, kColMode);
        if (mode == discharge)
            lowestDischarge = std::min(lowestDischarge, cellVolts(table.at(r, kColSetVoltage)));
        else if (mode == charge)
            highestCharge = std::max(highestCharge, cellVolts(table.at(r, kColSetVoltage)));
    }
    const bool hasCharge = highestCharge != kNoCharge;
    const bool hasDischarge = lowestDischarge != kNoDischarge;
    VoltageWindow window;
    window.upper = hasCharge ? toSingle(highestCharge + kWindowMargin) : device.maxVoltage;
    window.lower = hasDischarge ? toSingle(lowestDischarge - kWindowMargin) : device.minVoltage;
    // A charge-only program gets the discharge floor of the cell type its charge voltage suggests.
    if (hasCharge && !hasDischarge && window.upper < 5.0f) {
        if (window.upper > 4.1f)
            window.lower = 2.7f;
        else if (window.upper > 3.3f)
            window.lower = 2.0f;
    }
    return window;
}

void clearSteps(TextGrid& table)
{
    for (int r = 1; r <= kStepRows && !table.at(r, kColMode).empty(); ++r)
        for (int c = kColMode; c <= kColTimeCount; ++c)
            table.at(r, c).clear();
}

}  // namespace klv
