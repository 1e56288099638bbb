#pragma once

#include <string>

namespace klv {

struct LoadedData;

// The column header of a Battery Data Format CSV written from a data file.
inline constexpr const char* kBdfHeader =
    "Test Time / s,Voltage / V,Current / A,Cycle Count / 1,Step Count / 1,"
    "Step Index / 1";

// The records of a loaded data file as BDF CSV text: UTF-8, one row per record, current
// positive while charging, each record placed in its step by the result rows.
std::string bdfText(const LoadedData& data);
// Load FILE.dat (and its .run) and write the CSV; false with the reason when it cannot.
bool exportBdf(const std::string& datPath, const std::string& csvPath, std::string& error);

}  // namespace klv
