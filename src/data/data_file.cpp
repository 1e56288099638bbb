#include "data/data_file.h"

#include "data/data_file_copy.h"
#include "data/save_queue.h"
#include "station.h"

namespace klv {

void writeDataFiles(const Station& station, int slot, const std::string& base)
{
    writeDataFiles(copyDataFiles(station, slot, base));
}

void saveDataFiles(const Station& station, int slot, const std::string& base)
{
    DataFileCopy copy = copyDataFiles(station, slot, base);
    if (station.saveQueue)
        station.saveQueue->post(std::move(copy));
    else
        writeDataFiles(copy);
}

}  // namespace klv
