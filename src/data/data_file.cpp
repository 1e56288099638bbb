#include "data/data_file.h"

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "data/data_file_copy.h"
#include "data/save_queue.h"
#include "station.h"

namespace klv {

namespace {

// A test the operator believes saved must not be lost unnoticed: the error log and the
// history list both name the file.
void reportFailedSave(Station& station, const std::string& base)
{
    klvLog(station, "ErrSaveData(" + base + ".dat)", "cannot write");
    const Text failed = KLV_TEXT("History", "数据保存失败 %1");
    const std::string time = logTime(station.clock.now()) + "  ";
    station.ui.history.push_back(time + fillIn(screenText(failed), {base + ".dat"}));
    sysLog(station, time + fillIn(fileText(failed), {base + ".dat"}));
}

}  // namespace

bool writeDataFiles(const Station& station, int slot, const std::string& base)
{
    return writeDataFiles(copyDataFiles(station, slot, base));
}

void saveDataFiles(Station& station, int slot, const std::string& base)
{
    DataFileCopy copy = copyDataFiles(station, slot, base);
    if (station.saveQueue)
        station.saveQueue->post(std::move(copy));
    else if (!writeDataFiles(copy))
        reportFailedSave(station, base);
}

void reportFailedSaves(Station& station)
{
    if (station.saveQueue)
        for (const std::string& base : station.saveQueue->takeFailures())
            reportFailedSave(station, base);
}

}  // namespace klv
