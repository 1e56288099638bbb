#include "program/program_tables.h"

#include <string>

namespace klv {

TextGrid newStepTable()
{
    static const char* const kTitles[kStepTableCols] = {"工步",     "运行模式", "设定电流",
                                                        "设定电压", "终止电流", "时间/次"};
    TextGrid table;
    table.resize(kStepTableRows, kStepTableCols);
    for (int c = 0; c < kStepTableCols; ++c)
        table.at(0, c) = kTitles[c];
    for (int r = 1; r <= kStepRows; ++r)
        table.at(r, kColStepNo) = std::to_string(r);
    return table;
}

ProgramTables::ProgramTables()
{
    gridRun.fill(newStepTable());
    upperVoltageLimit.fill(kDefaultUpperVoltage);
    lowerVoltageLimit.fill(kDefaultLowerVoltage);
}

}  // namespace klv
