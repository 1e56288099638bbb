#pragma once

#include <string>

namespace klv {

struct Station;

// base.dat: program header, column header, one line per recorded point;
// base.run: result header and the results-table rows, only when there are points.
// A failure ends the writing and returns false; what was written stays.
bool writeDataFiles(const Station& station, int slot, const std::string& base);
// The same, copied now and written on the station's save queue when it has one. A failure is
// reported (error log and history line) now, or by reportFailedSaves once the queue found it.
void saveDataFiles(Station& station, int slot, const std::string& base);
// Reports the saves the queue could not write; called from the run tick.
void reportFailedSaves(Station& station);

}  // namespace klv
