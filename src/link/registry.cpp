#include "link/registry.h"

#include "common/screen_text.h"

namespace klv {

namespace {
constexpr ModelRow kModels[] = {
    {18, "TAL-M1", 5.0f, 0.01f, 20.0f, 0.1f, 1000, 1000, 100},
    {19, "TAL-M2", 10.0f, 0.1f, 15.0f, 0.1f, 1000, 1000, 100},
    {20, "TAL-M3", 1.0f, 0.001f, 4.5f, 0.0f, 1000, 1000, 1000},
    {21, "TAL-M4", 2.0f, 0.02f, 4.5f, 0.0f, 1000, 1000, 100},
    {22, "TAL-M5", 4.0f, 0.02f, 4.5f, 0.0f, 1000, 1000, 100},
    {23, "TAL-M6", 5.0f, 0.1f, 4.5f, 0.0f, 1000, 1000, 100},
    {24, "TAL-M7", 10.0f, 0.01f, 4.55f, 0.0f, 1000, 1000, 100},
    {25, "TAL-M12", 20.0f, 0.1f, 4.5f, 0.0f, 1000, 1000, 100},
    {26, "TAL-M11", 3.0f, 0.01f, 10.0f, 0.1f, 1000, 1000, 100},
    {28, "TAL-M8", 40.0f, 0.1f, 4.5f, 0.1f, 1000, 100, 100},
    {30, "TOR-M9", 1.0f, 0.01f, 4.5f, 0.1f, 1000, 1000, 100},
    {31, "TAL-M10", 20.0f, 0.1f, 120.0f, 0.1f, 100, 100, 100},
};
}  // namespace

std::string channelName(int address, int channel)
{
    return std::to_string(address + 1) + "-" + std::to_string(channel + 1);
}

ModelRow modelRow(int code)
{
    for (const auto& row : kModels)
        if (row.code == code)
            return row;
    // Ratings of 0 let no set value pass the checks, so nothing is ever sent to such a unit.
    return {code, nullptr, 0, 0, 0, 0, 1000, 1000, 100};
}

bool isKnownModel(int code) { return modelRow(code).name != nullptr; }

std::string shownModelName(const DeviceEntry& device)
{
    return isKnownModel(device.modelCode)
               ? device.modelName
               : fillIn(screenText(KLV_TEXT("Table", "未知%1")), {std::to_string(device.modelCode)});
}

void applyModelRow(DeviceEntry& device)
{
    ModelRow row = modelRow(device.modelCode);
    device.modelName = row.name ? row.name : fillIn(KLV_NOOP("Table", "未知%1"), {std::to_string(row.code)});
    device.maxCurrent = row.maxCurrent;
    device.minCurrent = row.minCurrent;
    device.maxVoltage = row.maxVoltage;
    device.minVoltage = row.minVoltage;
    device.voltageScale = row.voltageScale;
    device.readingCurrentScale = row.readingCurrentScale;
    device.setCurrentScale = row.setCurrentScale;
}

int deviceAtAddress(const LinkTables& link, int busAddress)
{
    for (int d = 0; d < kMaxDevices; ++d)
        if (link.devices[d].modelCode != 0 && link.devices[d].busAddress == busAddress)
            return d;
    return -1;
}

}  // namespace klv
