#pragma once

#include <string>
#include <vector>

namespace klv {

// Exports without a window, for many files at once. Both return 0 when done, 1 when a file
// cannot be read or written and 64 on a wrong argument, with the reason on stderr.

// --export-steps FILE.dat BASE: the step CSVs of "全部-时间", as the viewer's "保存单步" writes them.
int runExportSteps(const std::string& dat, const std::string& base);

// --picture FILE.dat OUT.png|OUT.bmp [--view NAME]: a view of the file as the viewer draws it,
// with its legends, rendered offscreen. An empty view name is "全部-时间"; "容量-循环" is the
// cycles page's capacity of every cycle.
int runPicture(const std::string& dat, const std::string& out, const std::string& view);

// --export-cycles FILE.dat... [--out DIR]: BASE.cycles.csv of each file beside it or in DIR; a
// file that cannot be read or written is named on stderr and the others are still written.
int runExportCycles(const std::vector<std::string>& dats, const std::string& folder);

}  // namespace klv
