#pragma once

#include "common/text_grid.h"

namespace klv {

// The last row of a step results table whose loop-pass cell is filled; 0 when none is.
int lastFilledResultRow(const TextGrid& gridList);
// The row that the running step's result is shown in and backed up from: the last filled row, row 1 if none.
int currentResultRow(const TextGrid& gridList);

}  // namespace klv
