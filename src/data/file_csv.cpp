#include "data/file_csv.h"

#include <fstream>

#include "data/data_loader.h"

namespace klv {

bool writeCsvOfFile(const std::string& datPath, const std::string& csvPath, std::string (*text)(const LoadedData&),
                    std::string& error)
{
    const LoadedData data = loadDataFile(datPath);
    if (!data.complete) {
        error = "cannot read " + datPath + " and its result file to the end";
        return false;
    }
    std::ofstream out(csvPath, std::ios::binary | std::ios::trunc);
    out << text(data);
    out.close();
    if (!out) {
        error = "cannot write " + csvPath;
        return false;
    }
    return true;
}

}  // namespace klv
