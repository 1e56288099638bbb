#pragma once

#include <string>
#include <vector>

#include "common/text_grid.h"

namespace klv {

struct Station;

// The line layouts shared by the backups and the data files.
// "设备:" model, "通道:" d+1 "-" n+1, the "工步:" lines (and the loop row), the banner.
std::vector<std::string> programHeaderLines(const Station& station, int slot);
// The program header and the sample column titles: how .bk0 and .dat begin.
std::vector<std::string> dataHeaderLines(const Station& station, int slot);
// "设备:" model, "通道:" d+1 "-" n+1, the banner, the result column titles.
std::vector<std::string> resultHeaderLines(const Station& station, int slot);

// One sample: seconds (shortest form), current ("0.000", or "00.00" at reading scale 100), voltage ("0.000").
std::string sampleLine(float seconds, float current, float voltage, int readingCurrentScale);
// The same appended to out: a data file writes millions of them.
void appendSampleLine(std::string& out, float seconds, float current, float voltage, int readingCurrentScale);
// The six cells of a results-table row joined by tabs.
std::string resultLine(const TextGrid& gridList, int row);

}  // namespace klv
