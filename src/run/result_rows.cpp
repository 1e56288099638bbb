#include "run/result_rows.h"

#include <algorithm>

namespace klv {

int lastFilledResultRow(const TextGrid& gridList)
{
    for (int r = gridList.rows - 1; r >= 1; --r)
        if (!gridList.at(r, 0).empty())
            return r;
    return 0;
}

int currentResultRow(const TextGrid& gridList) { return std::max(lastFilledResultRow(gridList), 1); }

}  // namespace klv
