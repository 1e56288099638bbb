#include "program/program_tables.h"

#include <string>

#include "common/screen_text.h"

namespace klv {

TextGrid newStepTable()
{
    static const char* const kTitles[kStepTableCols] = {KLV_NOOP("Table", "工步"),     KLV_NOOP("Table", "运行模式"),
                                                        KLV_NOOP("Table", "设定电流"), KLV_NOOP("Table", "设定电压"),
                                                        KLV_NOOP("Table", "终止电流"), KLV_NOOP("Table", "时间/次")};
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
