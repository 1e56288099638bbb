#pragma once

#include <string>
#include <vector>

namespace klv {

class DataViewer;

// "保存单步": one CSV per charge or discharge step that the viewer's result table lists,
// named base-cycle-step.csv, holding exactly that step's points with times from the step's start.
// Rest rows and rows the last refresh left out give no file but use up their points. A damaged
// row or a file that cannot be written ends the export there, without a message.
struct StepExport {
    std::vector<std::string> files;  // the paths written, in order
    bool finished = false;           // walked to the last row or the last point
};
StepExport exportSteps(const DataViewer& viewer, const std::string& base);

}  // namespace klv
