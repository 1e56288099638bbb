#pragma once

#include <string>

#include "view/ui_tables.h"

namespace klv {

class IniFile;

// The look of the curve graphs as the "DATA" section of klv.ini keeps it.
struct DisplaySettings {
    int gridColor = 8421504, backColor = 16777215, axesColor = 0;
    int volColor = 16711680, curColor = 255;  // curve 0 (voltage) and curve 1 (current)
    bool dashedMain = false, dashedSecondary = true;
    int line = 2;             // curve pen width in pixels
    bool showLegend = false;  // the displayed channel's curves show their legend
    bool operator==(const DisplaySettings&) const = default;
};

// The nine keys, each with its default when missing or not a number.
DisplaySettings readDisplaySettings(const IniFile& ini);
// Writes MDOT, SDOT, GCOL, BCOL, ACOL, VCOL, CCOL, SLA and LINE, in this order, one key at a time.
bool writeDisplaySettings(const IniFile& ini, const DisplaySettings& settings);

// What graph 0 shows now, with the station's legend switch.
DisplaySettings currentDisplaySettings(const UiTables& ui);
// Recolours every graph (curves 0 and 1), sets its grid styles, pen width and the legends of
// curves 0 and 1, sets the legend switch and redraws.
void applyDisplaySettings(UiTables& ui, const DisplaySettings& settings);

// A grid line style of the graph: 0 solid, 2 dashed.
inline int gridStyle(bool dashed) { return dashed ? 2 : 0; }

}  // namespace klv
