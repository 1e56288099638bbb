#pragma once

#include <string>
#include <vector>

#include "ui/ui_tables.h"

namespace klv {

struct Station;

// program folder + "/klv-com" + port number + "-" + (d+1) + "-" + (n+1)
std::string backupBaseName(const Station& station, int slot);

// "设备:" model, "通道:" d+1 "-" n+1, the "工步:" lines (and the loop row), the banner.
std::vector<std::string> programHeaderLines(const Station& station, int slot);
// The program header and the sample column titles: how .bk0 and .dat begin.
std::vector<std::string> dataHeaderLines(const Station& station, int slot);
// "设备:" model, "通道:" d+1 "-" n+1, the banner, the result column titles.
std::vector<std::string> resultHeaderLines(const Station& station, int slot);

// Overwrite base.bk0 (program header, column header) and base.bk1 (result header).
bool createBackupFiles(const Station& station, int slot, const std::string& base);

// One sample: seconds (shortest form), current ("0.000", or "00.00" at reading scale 100), voltage ("0.000").
std::string sampleLine(float seconds, float current, float voltage, int readingCurrentScale);
bool appendSample(const std::string& base, const std::string& line);

// The six cells of a results-table row joined by tabs.
std::string resultLine(const TextGrid& gridList, int row);
bool appendResult(const std::string& base, const std::string& line);

// program folder + "/Data/" + date-time stamp + "-" + (bus address + 1) + "-" + (n+1)
std::string autoSaveBaseName(Station& station, int slot);
// With "自动保存" checked and a Data folder, the finished test goes to its data files.
void autoSave(Station& station, int slot);

}  // namespace klv
