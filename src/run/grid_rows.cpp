#include "run/grid_rows.h"

#include <algorithm>

namespace klv {

void setGridRows(TextGrid& grid, int rows)
{
    rows = std::max(rows, 0);
    grid.cells.resize(static_cast<size_t>(rows) * static_cast<size_t>(grid.cols));
    grid.rows = rows;
}

}  // namespace klv
