#pragma once

#include <string>

namespace klv {

struct Station;

// program folder + "/klv-com" + port number + "-" + (d+1) + "-" + (n+1)
std::string backupBaseName(const Station& station, int slot);

// Overwrite base.bk0 (program header, column header) and base.bk1 (result header).
bool createBackupFiles(const Station& station, int slot, const std::string& base);

// Append a sample line to base.bk0, a result line to base.bk1.
bool appendSample(const std::string& base, const std::string& line);
bool appendResult(const std::string& base, const std::string& line);

// program folder + "/Data/" + date-time stamp + "-" + (bus address + 1) + "-" + (n+1)
std::string autoSaveBaseName(Station& station, int slot);
// With "自动保存" checked and a Data folder, the finished test goes to its data files.
void autoSave(Station& station, int slot);

}  // namespace klv
