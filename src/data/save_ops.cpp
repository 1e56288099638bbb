#include "data/save_ops.h"

#include "common/format.h"
#include "common/screen_text.h"
#include "data/data_file.h"
#include "station.h"

namespace klv {

namespace {

std::string fileBase(const std::string& chosenPath, int device, int position)
{
    return chosenPath + "-" + std::to_string(device + 1) + "-" + std::to_string(position);
}

}  // namespace

std::string pathWithExtension(const std::string& chosen, const std::string& extension)
{
    const bool ends = chosen.size() >= extension.size() &&
                      chosen.compare(chosen.size() - extension.size(), extension.size(), extension) == 0;
    return ends ? chosen : chosen + "." + extension;
}

std::string defaultSaveName(Station& station) { return dateTimeStamp(station.clock.now()); }

std::string saveDeviceTitle(int device)
{
    return fillIn(screenText(KLV_TEXT("Dialog", "保存数据-设备%1")), {std::to_string(device + 1)});
}

std::string saveChannelTitle(int device, int channel)
{
    return saveDeviceTitle(device) + fillIn(screenText(KLV_TEXT("Dialog", " 通道%1")), {std::to_string(channel + 1)});
}

void saveChannel(Station& station, int device, int channel, const std::string& chosenPath)
{
    if (chosenPath.empty())
        return;
    saveDataFiles(station, slotOf(device, channel), fileBase(chosenPath, device, channel + 1));
}

void saveDevice(Station& station, int device, const std::string& chosenPath)
{
    if (chosenPath.empty())
        return;
    // All eight positions, whatever the device's channel count; the writer absorbs each failure.
    for (int position = 1; position <= kChannelsPerDevice; ++position)
        saveDataFiles(station, slotOf(device, position - 1), fileBase(chosenPath, device, position));
}

}  // namespace klv
