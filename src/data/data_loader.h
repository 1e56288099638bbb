#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace klv {

struct LoadedStep {
    int number = 0;
    std::string cells[5];
};

struct LoadedRecord {
    int seconds = 0;
    float current = 0, voltage = 0;
};

// What the viewer gets back from a data file and its result file.
struct LoadedData {
    std::string deviceLabel, channelLabel, title;
    std::vector<LoadedStep> steps;
    std::vector<LoadedRecord> records;
    std::vector<std::vector<std::string>> results;  // six cells a row
    bool complete = false;                          // read to the end of both files without a failure
};

// A stop request ends the reading early: what comes back is then not complete.
LoadedData loadDataFile(const std::string& datPath, std::stop_token stop = {});
// The same from the bytes of the data file and of its result file (nothing: no result file).
LoadedData loadDataBytes(std::string_view dat, std::optional<std::string_view> results, std::stop_token stop = {});
// Seconds of a result row's step time "H:MM:SS" (27:15:00 is 98100); nothing when it does not read so.
std::optional<long long> stepTimeSeconds(const std::string& text);

}  // namespace klv
