#include "run/backup_files.h"

#include "common/format.h"
#include "data/data_file.h"
#include "data/data_lines.h"
#include "platform/text_file.h"
#include "station.h"

namespace klv {

std::string backupBaseName(const Station& station, int slot)
{
    return station.home + "/klv-com" + std::to_string(station.link.portNumber) + "-" + slotName(slot);
}

bool createBackupFiles(const Station& station, int slot, const std::string& base)
{
    return writeLines(base + ".bk0", dataHeaderLines(station, slot)) &&
           writeLines(base + ".bk1", resultHeaderLines(station, slot));
}

bool appendSample(const std::string& base, const std::string& line) { return appendLine(base + ".bk0", line); }

bool appendResult(const std::string& base, const std::string& line) { return appendLine(base + ".bk1", line); }

std::string autoSaveBaseName(Station& station, int slot)
{
    const DeviceEntry& device = station.link.devices.at(deviceOfSlot(slot));
    return station.home + "/Data/" + dateTimeStamp(station.clock.now()) + "-" +
           channelName(device.busAddress, channelOfSlot(slot));
}

void autoSave(Station& station, int slot)
{
    if (!station.run.autoSave || !folderExists(station.home + "/Data"))
        return;
    saveDataFiles(station, slot, autoSaveBaseName(station, slot));
}

}  // namespace klv
