#include "view/station_startup.h"

#include <string>

#include "common/screen_text.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "station.h"
#include "view/display_settings.h"

namespace klv {

namespace {

const char* const kGridViewHeader[] = {KLV_NOOP("Table", "通道"),     KLV_NOOP("Table", "循环"),
                                       KLV_NOOP("Table", "工步"),     KLV_NOOP("Table", "模式"),
                                       KLV_NOOP("Table", "电压(V)"),  KLV_NOOP("Table", "电流(A)"),
                                       KLV_NOOP("Table", "容量(Ah)"), KLV_NOOP("Table", "能量(Wh)"),
                                       KLV_NOOP("Table", "时间"),     KLV_NOOP("Table", "状态")};

const char* const kResultHeader[kResultColumns] = {KLV_NOOP("Table", "循环"),     KLV_NOOP("Table", "工步"),
                                                   KLV_NOOP("Table", "模式"),     KLV_NOOP("Table", "容量(Ah)"),
                                                   KLV_NOOP("Table", "能量(Wh)"), KLV_NOOP("Table", "时间(S)")};

void setUpGraph(CurveGraph& graph, const DisplaySettings& look)
{
    graph.setCurveCount(2 * kChannelsPerDevice);
    for (int k = 0; k < 2 * kChannelsPerDevice; k += 2) {
        graph.setLegendText(k, screenText(KLV_TEXT("Table", "电压")));
        graph.setCurveLineColor(k, look.volColor);
        graph.setCurveAxesY(k, 0);
        graph.setShowCurve(k, false);
        graph.setLegendText(k + 1, screenText(KLV_TEXT("Table", "电流")));
        graph.setCurveLineColor(k + 1, look.curColor);
        graph.setCurveAxesY(k + 1, 1);
        graph.setShowCurve(k + 1, false);
    }
    graph.setGridType1(gridStyle(look.dashedMain));
    graph.setGridType2(gridStyle(look.dashedSecondary));
    graph.setBackColor(look.backColor);
    graph.setGridColor(look.gridColor);
    graph.setAxesColor(look.axesColor);
    graph.setLine(look.line);
    graph.ClearAll();
}

}  // namespace

void resetGridView(Station& station)
{
    TextGrid& grid = station.ui.gridView;
    grid.resize(kUsedSlots + 1, 10);
    for (int c = 0; c < 10; ++c)
        grid.at(0, c) = kGridViewHeader[c];
}

void startUpStation(Station& station)
{
    UiTables& ui = station.ui;
    ui.currentDevice = -1;
    ui.selectedChannel = -1;
    for (int d = 0; d < kMaxDevices; ++d) {
        for (auto& tile : ui.panels[d].tiles) {
            tile.Txt.clear();
            tile.Color = kColorLampOff;
            tile.Enable = false;
        }
        DeviceEntry& dev = station.link.devices[d];
        dev = DeviceEntry{};
        dev.busAddress = d;
    }
    IniFile ini(station.home + "/klv.ini");
    if (!fileExists(ini.path()))
        writeLines(ini.path(), {";--------KLV Config File----------"});
    makeFolder(station.home + "/Data");
    makeFolder(station.home + "/Log");
    ui.shpVol = ini.readInt("DISP", "VOLCOL", 16744448);
    ui.shpCur = ini.readInt("DISP", "CURCOL", 8421631);
    ui.shpCap = ini.readInt("DISP", "CAPCOL", 4210752);
    ui.shpPwr = ini.readInt("DISP", "PWRCOL", 4210752);
    const DisplaySettings look = readDisplaySettings(ini);
    for (auto& graph : ui.graphs)
        setUpGraph(graph, look);
    ui.showCurveLabels = look.showLegend;
    for (RunSlot& run : station.run.slots)
        for (int c = 0; c < kResultColumns; ++c)
            run.gridList.at(0, c) = kResultHeader[c];
    resetGridView(station);
}

}  // namespace klv
