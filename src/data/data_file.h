#pragma once

#include <string>

namespace klv {

struct Station;

// base.dat: program header, column header, one line per recorded point;
// base.run: result header and the results-table rows, only when there are points.
// Failures end the writing silently; what was written stays.
void writeDataFiles(const Station& station, int slot, const std::string& base);
// The same, copied now and written on the station's save queue when it has one.
void saveDataFiles(const Station& station, int slot, const std::string& base);

}  // namespace klv
