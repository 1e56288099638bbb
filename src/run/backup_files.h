#pragma once

#include <cstddef>
#include <string>

namespace klv {

struct Station;

// program folder + "/klv-com" + port number + "-" + (d+1) + "-" + (n+1)
std::string backupBaseName(const Station& station, int slot);

// Replace the slot's .bk0 (program header, column header) and .bk1 (result header). Headers
// the disk refuses wait like any backup line, in place of the old files; false while they wait.
bool createBackupFiles(Station& station, int slot);

// Append a sample line to the slot's .bk0, a result line to its .bk1. A line the disk refuses
// is kept, in order, and written with the next one or by retryBackups; the first failure is
// said once. False while lines wait.
bool appendSample(Station& station, int slot, const std::string& line);
bool appendResult(Station& station, int slot, const std::string& line);
// Writes what the backups could not take before, at each run tick.
void retryBackups(Station& station);
// Syncs the backups appended to since the last sync, once a run tick, before the lab store is
// given that tick's rows: after a power cut no backup is behind what the lab database holds.
void syncBackups(Station& station);
// Every line recorded on the slot is in its backups and synced (true without backups).
bool backupDurable(const Station& station, int slot);
// Backup lines that never reached the disk, over every channel.
size_t unwrittenBackupLines(const Station& station);

// program folder + "/Data/" + date-time stamp + "-" + (bus address + 1) + "-" + (n+1)
std::string autoSaveBaseName(Station& station, int slot);
// With "自动保存" checked and a Data folder, the finished test goes to its data files.
void autoSave(Station& station, int slot);

}  // namespace klv
