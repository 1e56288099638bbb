#include "common/text_grid.h"

namespace klv {

void TextGrid::resize(int r, int c)
{
    rows = r;
    cols = c;
    cells.assign(static_cast<size_t>(r * c), std::string());
}

void TextGrid::clear() { cells.assign(cells.size(), std::string()); }

}  // namespace klv
