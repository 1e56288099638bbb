#pragma once

#include <string>
#include <vector>

#include "data/test_cell.h"
#include "view/curve_points.h"

namespace klv {

struct Station;

// Everything a channel's data file and result file are made of, copied out of the station's
// tables, so that the files can be written away from the thread that polls the bench.
struct DataFileCopy {
    std::string base;                     // the files are base.dat and base.run
    std::vector<std::string> dataHeader;  // program and column header lines; none: nothing to write
    // The channel's voltage curve (seconds, volts) and current curve (seconds, amperes): one
    // record a point while both have one.
    std::vector<CurvePoint> voltages, currents;
    int readingCurrentScale = 1000;
    bool recordsWhole = false;             // no voltage point without its current; else the result file is removed
    std::vector<std::string> resultLines;  // result header and rows; none: no result file
    TestCell cell;                         // written as base.cell beside the data file; none: no cell file
};

// Taken on the thread that owns the tables. A table that is not there ends the copying; what was
// copied before it is still written, as a file written line by line would keep it.
DataFileCopy copyDataFiles(const Station& station, int slot, const std::string& base);

// Writes the copy on any thread. A failure ends the writing and returns false; what was written
// stays. A copy with nothing to write is no failure.
bool writeDataFiles(const DataFileCopy& copy);

}  // namespace klv
