#pragma once

#include <vector>

#include "data/data_loader.h"

namespace klv {

// One point of a dQ/dV curve: the centre of a voltage bin and the capacity per volt there.
struct DqDvPoint {
    double voltage = 0;  // V
    double value = 0;    // Ah/V
};

inline constexpr double kDqDvGrid = 0.01;  // V between grid points
inline constexpr int kDqDvSmoothing = 3;   // half-width of the smoothing kernel, in grid steps

// dQ/dV of one charge or discharge given as runs of consecutive records (one run per result
// row, so no capacity is counted across the gap between two rows). The capacity of each pair of
// records (the mean of their |current| over their time apart) is laid on a uniform voltage grid
// in proportion to the part of the grid cell their voltages cross, so a flat plateau falls into
// one cell; the cells are then smoothed with a symmetric triangular kernel, which widens a peak
// but leaves it where it was. Empty when the records span no time.
std::vector<DqDvPoint> dqdv(const std::vector<std::vector<LoadedRecord>>& runs, double grid = kDqDvGrid,
                            int smoothing = kDqDvSmoothing);

}  // namespace klv
