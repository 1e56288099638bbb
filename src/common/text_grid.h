#pragma once

#include <string>
#include <vector>

namespace klv {

// A text grid addressed as rows × columns, row 0 the header.
struct TextGrid {
    int rows = 0, cols = 0;
    std::vector<std::string> cells;
    void resize(int r, int c);
    std::string& at(int r, int c) { return cells.at(static_cast<size_t>(r * cols + c)); }
    const std::string& at(int r, int c) const { return cells.at(static_cast<size_t>(r * cols + c)); }
    void clear();
};

}  // namespace klv
