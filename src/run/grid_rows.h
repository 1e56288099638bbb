#pragma once

#include "common/text_grid.h"

namespace klv {

// Gives a grid a new row count as a flex grid's Rows does: the rows that stay keep their
// cells (row 0, the titles, included) and new rows start empty.
void setGridRows(TextGrid& grid, int rows);

}  // namespace klv
