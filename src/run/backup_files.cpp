#include "run/backup_files.h"

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "data/data_file.h"
#include "data/data_lines.h"
#include "platform/text_file.h"
#include "station.h"

namespace klv {

std::string backupBaseName(const Station& station, int slot)
{
    return station.home + "/klv-com" + std::to_string(station.link.portNumber) + "-" + slotName(slot);
}

namespace {

// The waiting lines go first, all or none, so the file keeps its order.
bool writeWaiting(Station& station, int slot, const char* extension, std::vector<std::string>& waiting)
{
    RunSlot& run = station.run.slots.at(slot);
    if (waiting.empty() || run.backupBase.empty())
        return true;
    const std::string path = run.backupBase + extension;
    if (appendLines(path, waiting)) {
        waiting.clear();
        run.backupUnsynced = true;
        run.backupFailing = !run.unwrittenSamples.empty() || !run.unwrittenResults.empty();
        return true;
    }
    if (!run.backupFailing) {
        run.backupFailing = true;
        const std::string said = fillIn(screenText(KLV_TEXT("History", "备份写入失败 %1, 数据暂存在内存中")), {path});
        station.ui.history.push_back(logTime(station.clock.now()) + "  " + said);
        klvLog(station, "ErrBackup(" + path + ")", "cannot write");
        if (station.tellOperator)
            station.tellOperator(said);
    }
    return false;
}

}  // namespace

bool createBackupFiles(Station& station, int slot)
{
    RunSlot& run = station.run.slots.at(slot);
    run.unwrittenSamples.clear();
    run.unwrittenResults.clear();
    run.backupFailing = false;
    const std::vector<std::string> data = dataHeaderLines(station, slot), results = resultHeaderLines(station, slot);
    // An old test's files must not be continued under the new header.
    if (!writeLines(run.backupBase + ".bk0", data)) {
        removeFile(run.backupBase + ".bk0");
        run.unwrittenSamples = data;
    }
    if (!writeLines(run.backupBase + ".bk1", results)) {
        removeFile(run.backupBase + ".bk1");
        run.unwrittenResults = results;
    }
    retryBackups(station);
    return run.unwrittenSamples.empty() && run.unwrittenResults.empty();
}

bool appendSample(Station& station, int slot, const std::string& line)
{
    RunSlot& run = station.run.slots.at(slot);
    run.unwrittenSamples.push_back(line);
    return writeWaiting(station, slot, ".bk0", run.unwrittenSamples);
}

bool appendResult(Station& station, int slot, const std::string& line)
{
    RunSlot& run = station.run.slots.at(slot);
    run.unwrittenResults.push_back(line);
    return writeWaiting(station, slot, ".bk1", run.unwrittenResults);
}

void retryBackups(Station& station)
{
    for (int slot = 0; slot < kSlotTableSize; ++slot) {
        RunSlot& run = station.run.slots[slot];
        writeWaiting(station, slot, ".bk0", run.unwrittenSamples);
        writeWaiting(station, slot, ".bk1", run.unwrittenResults);
    }
}

void syncBackups(Station& station)
{
    for (int slot = 0; slot < kSlotTableSize; ++slot) {
        RunSlot& run = station.run.slots[slot];
        if (!run.backupUnsynced || run.backupBase.empty())
            continue;
        // Both, or the flag stays and the next tick tries again.
        const bool samples = syncFile(run.backupBase + ".bk0"), results = syncFile(run.backupBase + ".bk1");
        run.backupUnsynced = !(samples && results);
    }
}

bool backupDurable(const Station& station, int slot)
{
    const RunSlot& run = station.run.slots.at(slot);
    return run.backupBase.empty() ||
           (!run.backupUnsynced && run.unwrittenSamples.empty() && run.unwrittenResults.empty());
}

size_t unwrittenBackupLines(const Station& station)
{
    size_t lines = 0;
    for (int slot = 0; slot < kSlotTableSize; ++slot)
        lines += station.run.slots[slot].unwrittenSamples.size() + station.run.slots[slot].unwrittenResults.size();
    return lines;
}

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
