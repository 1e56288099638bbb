#pragma once

#include <optional>
#include <string>
#include <vector>

namespace klv {

struct Station;

// base.dat: program header, column header, one line per recorded point;
// base.run: result header and the results-table rows, only when there are points.
// Failures end the writing silently; what was written stays.
void writeDataFiles(const Station& station, int slot, const std::string& base);

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
    bool complete = false;  // read to the end of both files without a failure
};

LoadedData loadDataFile(const std::string& datPath);
// Seconds of a result row's step time "H:MM:SS" (27:15:00 is 98100); nothing when it does not read so.
std::optional<long long> stepTimeSeconds(const std::string& text);

// The file chooser filter of data files, for saving and for opening.
inline constexpr const char* kDataFileFilter = "data file(*.dat)|*.dat";
// The name the save dialogs propose: the station's date and time, 5 March 2024 09:07:03 reading 202435-973.
std::string defaultSaveName(Station& station);
// Dialog titles, device index and channel counted from 0: "保存数据-设备1 通道2", "保存数据-设备1".
std::string saveChannelTitle(int device, int channel);
std::string saveDeviceTitle(int device);

// Save channel and save device, given the path the save dialog returned;
// an empty path (the dialog was cancelled) saves nothing.
void saveChannel(const Station& station, int device, int channel, const std::string& chosenPath);
void saveDevice(const Station& station, int device, const std::string& chosenPath);

}  // namespace klv
