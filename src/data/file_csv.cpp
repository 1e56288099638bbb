#include "data/file_csv.h"

#include "data/data_loader.h"
#include "platform/file_replacement.h"

namespace klv {

bool writeCsvOfFile(const std::string& datPath, const std::string& csvPath,
                    const std::function<std::string(const LoadedData&)>& text, std::string& error)
{
    const LoadedData data = loadDataFile(datPath);
    if (!data.complete) {
        error = "cannot read " + datPath + " and its result file to the end";
        return false;
    }
    if (!replaceFile(csvPath, text(data))) {
        error = "cannot write " + csvPath;
        return false;
    }
    return true;
}

}  // namespace klv
