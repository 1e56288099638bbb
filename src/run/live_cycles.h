#pragma once

#include <vector>

#include "data/cycle_table.h"

namespace klv {

struct Station;

// The cycle table of a channel's test so far: its filled step result rows with the records its
// two curves hold, reduced as a saved file's are. Taken on the thread that owns the tables.
std::vector<CycleRow> liveCycleRows(const Station& station, int slot);

}  // namespace klv
