#include "view/display_settings.h"

#include <stdexcept>
#include <utility>

#include "platform/ini_file.h"

namespace klv {

namespace {

constexpr const char* kSection = "DATA";

int intKey(const IniFile& ini, const char* key, int fallback) { return ini.readInt(kSection, key, fallback); }

}  // namespace

DisplaySettings readDisplaySettings(const IniFile& ini)
{
    const DisplaySettings d;
    DisplaySettings s;
    s.volColor = intKey(ini, "VCOL", d.volColor);
    s.curColor = intKey(ini, "CCOL", d.curColor);
    s.dashedMain = intKey(ini, "MDOT", 0) != 0;
    s.dashedSecondary = intKey(ini, "SDOT", 1) != 0;
    s.backColor = intKey(ini, "BCOL", d.backColor);
    s.gridColor = intKey(ini, "GCOL", d.gridColor);
    s.axesColor = intKey(ini, "ACOL", d.axesColor);
    s.line = intKey(ini, "LINE", d.line);
    s.showLegend = intKey(ini, "SLA", 0) == 1;
    return s;
}

bool writeDisplaySettings(const IniFile& ini, const DisplaySettings& s)
{
    const std::pair<const char*, int> keys[] = {
        {"MDOT", s.dashedMain ? 1 : 0},
        {"SDOT", s.dashedSecondary ? 1 : 0},
        {"GCOL", s.gridColor},
        {"BCOL", s.backColor},
        {"ACOL", s.axesColor},
        {"VCOL", s.volColor},
        {"CCOL", s.curColor},
        {"SLA", s.showLegend ? 1 : 0},
        {"LINE", s.line},
    };
    bool written = true;
    for (const auto& [key, value] : keys)
        written = ini.write(kSection, key, std::to_string(value)) && written;
    return written;
}

DisplaySettings currentDisplaySettings(const UiTables& ui)
{
    const CurveGraph& g = ui.graphs[0];
    DisplaySettings s;
    s.gridColor = g.GridColor();
    s.backColor = g.BackColor();
    s.axesColor = g.AxesColor();
    s.volColor = g.CurveCount() > 0 ? g.CurveLineColor(0) : s.volColor;
    s.curColor = g.CurveCount() > 1 ? g.CurveLineColor(1) : s.curColor;
    s.dashedMain = g.GridType1() != 0;
    s.dashedSecondary = g.GridType2() != 0;
    s.line = g.Line();
    s.showLegend = ui.showCurveLabels;
    return s;
}

void applyDisplaySettings(UiTables& ui, const DisplaySettings& s)
{
    ui.showCurveLabels = s.showLegend;
    for (CurveGraph& g : ui.graphs) {
        g.setGridColor(s.gridColor);
        g.setBackColor(s.backColor);
        g.setAxesColor(s.axesColor);
        g.setLine(s.line);
        g.setGridType1(gridStyle(s.dashedMain));
        g.setGridType2(gridStyle(s.dashedSecondary));
        for (int k = 0; k < 2 && k < g.CurveCount(); ++k) {
            g.setCurveLineColor(k, k == 0 ? s.volColor : s.curColor);
            g.setShowLegend(k, s.showLegend);
        }
        try {
            g.DrawCurve();
        } catch (const std::exception&) {
            // A graph with an empty range keeps its picture until its channel draws again.
        }
    }
}

}  // namespace klv
