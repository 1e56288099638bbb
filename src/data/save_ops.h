#pragma once

#include <string>

namespace klv {

struct Station;

// The path a save dialog's answer is written to: the extension is appended unless the path
// already ends in it, compared case-sensitively ("a.CSV" becomes "a.CSV.csv").
std::string pathWithExtension(const std::string& chosen, const std::string& extension);

// The file chooser filter of data files, for saving and for opening.
inline constexpr const char* kDataFileFilter = "data file(*.dat)|*.dat";
// The name the save dialogs propose: the station's date and time, 5 March 2024 09:07:03 reading 202435-973.
std::string defaultSaveName(Station& station);
// Dialog titles, device index and channel counted from 0: "保存数据-设备1 通道2", "保存数据-设备1".
std::string saveChannelTitle(int device, int channel);
std::string saveDeviceTitle(int device);

// Save channel and save device, given the path the save dialog returned;
// an empty path (the dialog was cancelled) saves nothing.
void saveChannel(Station& station, int device, int channel, const std::string& chosenPath);
void saveDevice(Station& station, int device, const std::string& chosenPath);

}  // namespace klv
