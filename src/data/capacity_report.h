#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "common/text_grid.h"
#include "data/step_capacity.h"

namespace klv {

inline constexpr int kReportRows = 49;     // header and 48 channels
inline constexpr int kReportColumns = 21;  // channel, then ten step/capacity pairs
inline constexpr int kReportEntries = 10;  // pairs a channel can fill
inline constexpr int kReportShade = 0xFFFFD0;

// The report table with its header row; every other cell empty.
TextGrid newReportTable();
// Rows 2, 4, … 48 are shaded light cyan.
bool reportRowShaded(int row);

// "确定": the selected steps of every connected channel of the snapshot, a row per channel
// that has any (" 1-2", then "3-2 恒流放" and "1.234" pairs). A cell that does not read as its
// number ends the filling there, and so does a stop request; what was filled stays.
TextGrid fillReport(const CapacitySnapshot& snapshot, std::stop_token stop = {});

// The 49 lines of the saved report: an empty line for a row without a channel, otherwise
// every cell followed by a comma.
std::vector<std::string> reportCsvLines(const TextGrid& report);
// Writes the report to the chosen path, ".csv" appended unless it ends in "csv"; false when the file could not be
// written.
bool saveReport(const TextGrid& report, const std::string& chosen);

}  // namespace klv
