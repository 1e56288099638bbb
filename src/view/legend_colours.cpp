#include "view/legend_colours.h"

#include <string>

#include "platform/ini_file.h"
#include "station.h"

namespace klv {

namespace {

int& swatch(UiTables& ui, LegendItem item)
{
    switch (item) {
    case LegendItem::Voltage:
        return ui.shpVol;
    case LegendItem::Current:
        return ui.shpCur;
    case LegendItem::Capacity:
        return ui.shpCap;
    case LegendItem::Energy:
        break;
    }
    return ui.shpPwr;
}

}  // namespace

const char* legendKey(LegendItem item)
{
    switch (item) {
    case LegendItem::Voltage:
        return "VOLCOL";
    case LegendItem::Current:
        return "CURCOL";
    case LegendItem::Capacity:
        return "CAPCOL";
    case LegendItem::Energy:
        break;
    }
    return "PWRCOL";
}

void applyLegendColours(Station& station, int device, int channel)
{
    TileState& tile = station.ui.panels[device].tiles[channel];
    tile.VolColor = station.ui.shpVol;
    tile.CurColor = station.ui.shpCur;
    tile.CapColor = station.ui.shpCap;
    tile.WhColor = station.ui.shpPwr;
}

void setLegendColour(Station& station, LegendItem item, int colour)
{
    swatch(station.ui, item) = colour;
    IniFile(station.home + "/klv.ini").write("DISP", legendKey(item), std::to_string(colour));
    for (int d = 0; d < kMaxDevices; ++d)
        for (int n = 0; n < kChannelsPerDevice; ++n)
            if (station.ui.panels[d].Conn[n])
                applyLegendColours(station, d, n);
}

}  // namespace klv
