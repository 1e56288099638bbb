#include "view/station_startup.h"

#include <string>

#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "station.h"

namespace klv {

namespace {

const char* const kGridViewHeader[] = {"通道",    "循环",     "工步",     "模式", "电压(V)",
                                       "电流(A)", "容量(Ah)", "能量(Wh)", "时间", "状态"};

int intKey(const IniFile& ini, const char* section, const char* key, int fallback)
{
    try {
        return std::stoi(ini.read(section, key, std::to_string(fallback)));
    } catch (const std::exception&) {
        return fallback;
    }
}

const char* const kResultHeader[kResultColumns] = {"循环", "工步", "模式", "容量(Ah)", "能量(Wh)", "时间(S)"};

void setUpGraph(CurveGraph& graph, const IniFile& ini)
{
    graph.setCurveCount(2 * kChannelsPerDevice);
    const int volColour = intKey(ini, "DATA", "VCOL", 16711680);
    const int curColour = intKey(ini, "DATA", "CCOL", 255);
    for (int k = 0; k < 2 * kChannelsPerDevice; k += 2) {
        graph.setLegendText(k, "电压");
        graph.setCurveLineColor(k, volColour);
        graph.setCurveAxesY(k, 0);
        graph.setShowCurve(k, false);
        graph.setLegendText(k + 1, "电流");
        graph.setCurveLineColor(k + 1, curColour);
        graph.setCurveAxesY(k + 1, 1);
        graph.setShowCurve(k + 1, false);
    }
    graph.setGridType1(intKey(ini, "DATA", "MDOT", 0) == 0 ? 0 : 2);
    graph.setGridType2(intKey(ini, "DATA", "SDOT", 1) == 0 ? 0 : 2);
    graph.setBackColor(intKey(ini, "DATA", "BCOL", 16777215));
    graph.setGridColor(intKey(ini, "DATA", "GCOL", 8421504));
    graph.setAxesColor(intKey(ini, "DATA", "ACOL", 0));
    graph.setLine(intKey(ini, "DATA", "LINE", 2));
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
        for (auto& tile : ui.panels[static_cast<size_t>(d)].tiles) {
            tile.Txt.clear();
            tile.Color = kColorLampOff;
            tile.Enable = false;
        }
        DeviceEntry& dev = station.link.devices[static_cast<size_t>(d)];
        dev = DeviceEntry{};
        dev.busAddress = d;
    }
    IniFile ini(station.home + "/klv.ini");
    if (!fileExists(ini.path()))
        writeLines(ini.path(), {";--------KLV Config File----------"});
    makeFolder(station.home + "/Data");
    makeFolder(station.home + "/Log");
    ui.shpVol = intKey(ini, "DISP", "VOLCOL", 16744448);
    ui.shpCur = intKey(ini, "DISP", "CURCOL", 8421631);
    ui.shpCap = intKey(ini, "DISP", "CAPCOL", 4210752);
    ui.shpPwr = intKey(ini, "DISP", "PWRCOL", 4210752);
    for (auto& graph : ui.graphs)
        setUpGraph(graph, ini);
    ui.showCurveLabels = intKey(ini, "DATA", "SLA", 0) == 1;
    for (RunSlot& run : station.run.slots)
        for (int c = 0; c < kResultColumns; ++c)
            run.gridList.at(0, c) = kResultHeader[c];
    resetGridView(station);
}

}  // namespace klv
