#pragma once

#include <map>
#include <utility>
#include <vector>

#include "data/cycle_table.h"
#include "data/data_loader.h"

namespace klv {

// What the viewer's cycles page needs of a loaded test: its cycle table, and the records of
// each cycle's charge and discharge rows for dQ/dV. Made on the loading thread with the curves.
struct CycleSource {
    using Runs = std::vector<std::vector<LoadedRecord>>;  // one run of records per result row

    std::vector<CycleRow> rows;
    std::map<std::pair<int, StepRole>, Runs> records;

    // The runs of the cycle's rows of that role, in order; empty when it has none.
    const Runs& recordsOf(int cycle, StepRole role) const;
};

// Records of 5.5 V or more are left out of dQ/dV, as they are of the curves.
CycleSource cycleSource(const LoadedData& data);

}  // namespace klv
