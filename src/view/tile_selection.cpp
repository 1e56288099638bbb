#include "view/tile_selection.h"

#include <string>

#include "station.h"

namespace klv {

namespace {

inline constexpr int kBorderSelected = 12632064;
inline constexpr int kBorderEnabled = 11053224;
inline constexpr int kBorderDisabled = 13684944;

template <typename Visit>
void forEachTile(Station& station, Visit visit)
{
    for (int d = 0; d < kMaxDevices; ++d)
        for (int n = 0; n < kChannelsPerDevice; ++n)
            visit(d, n, station.ui.panels[d].tiles[n], station.ui.panels[d].Conn[n]);
}

}  // namespace

int tileBorderColour(const TileState& tile)
{
    if (!tile.Enable)
        return kBorderDisabled;
    return tile.sel ? kBorderSelected : kBorderEnabled;
}

bool pressTile(Station& station, TileSelection& selection, int d, int n, int button)
{
    const bool right = button == kRightButton;
    TileState& pressed = station.ui.panels[d].tiles[n];
    if (selection.dragArmed && selection.keyHeld) {
        selection.dragArmed = false;
    } else if (!(pressed.sel && right)) {
        forEachTile(station, [&](int dev, int ch, TileState& tile, bool present) {
            if (dev != d || ch != n) {
                tile.sel = false;
            } else if (tile.sel) {
                tile.sel = false;
                selection.dragArmed = false;
            } else {
                tile.sel = present;
                if (tile.sel && !right)
                    selection = {true, d, n, selection.keyHeld};
            }
        });
    }
    return right && station.link.connected;
}

void dragOverTile(Station& station, const TileSelection& selection, int d, int n)
{
    if (!selection.dragArmed || !selection.keyHeld)
        return;
    forEachTile(station, [&](int dev, int ch, TileState& tile, bool present) {
        const bool inside = selection.anchorDevice <= dev && dev <= d && selection.anchorChannel <= ch && ch <= n;
        tile.sel = inside && present;
    });
}

void chooseTile(Station& station, int d, int n)
{
    CurveGraph& graph = station.ui.graphs[d];
    for (int i = 0; i < kChannelsPerDevice; ++i) {
        const bool shown = i == n;
        for (int k : {2 * i, 2 * i + 1}) {
            graph.setShowCurve(k, shown);
            graph.setShowLegend(k, shown && station.ui.showCurveLabels);
        }
    }
    const DeviceEntry& device = station.link.devices[d];
    graph.setTitleText(device.modelName + "  " + channelName(device.busAddress, n));
    graph.DrawCurve();
    forEachTile(station, [&](int dev, int ch, TileState& tile, bool) { tile.sel = dev == d && ch == n; });
}

int selectedTileCount(const Station& station)
{
    int count = 0;
    for (const PanelState& panel : station.ui.panels)
        for (const TileState& tile : panel.tiles)
            count += tile.sel ? 1 : 0;
    return count;
}

}  // namespace klv
