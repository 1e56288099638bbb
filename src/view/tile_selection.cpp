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

bool present(const Station& station, int index)
{
    return station.ui.panels[index / kChannelsPerDevice].Conn[index % kChannelsPerDevice];
}

constexpr int kTileCount = kMaxDevices * kChannelsPerDevice;

// The first present tile from index `start` on, walking by `step`; -1 when there is none.
int nextPresent(const Station& station, int start, int step)
{
    for (int i = start; i >= 0 && i < kTileCount; i += step)
        if (present(station, i))
            return i;
    return -1;
}

// The nearest row above or below `from` with a present tile, at the present channel nearest
// to from's (the lower one on a tie); -1 when there is none.
int nextRow(const Station& station, TilePlace from, int step)
{
    for (int d = from.device + step; d >= 0 && d < kMaxDevices; d += step) {
        for (int distance = 0; distance < kChannelsPerDevice; ++distance) {
            for (int n : {from.channel - distance, from.channel + distance})
                if (n >= 0 && n < kChannelsPerDevice && station.ui.panels[d].Conn[n])
                    return d * kChannelsPerDevice + n;
        }
    }
    return -1;
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

TilePlace moveTileFocus(const Station& station, TilePlace from, TileKey key)
{
    const int at = from.device * kChannelsPerDevice + from.channel;
    int to = -1;
    switch (key) {
    case TileKey::Left:
        to = nextPresent(station, at - 1, -1);
        break;
    case TileKey::Right:
        to = nextPresent(station, at + 1, 1);
        break;
    case TileKey::Up:
        to = nextRow(station, from, -1);
        break;
    case TileKey::Down:
        to = nextRow(station, from, 1);
        break;
    case TileKey::Home:
        to = nextPresent(station, 0, 1);
        break;
    case TileKey::End:
        to = nextPresent(station, kTileCount - 1, -1);
        break;
    }
    return to < 0 ? from : TilePlace{to / kChannelsPerDevice, to % kChannelsPerDevice};
}

bool pressTileByKey(Station& station, TileSelection& selection, TilePlace at, int button)
{
    const bool held = selection.keyHeld;
    selection.keyHeld = false;
    const bool openMenu = pressTile(station, selection, at.device, at.channel, button);
    selection.keyHeld = held;
    return openMenu;
}

TilePlace extendTileRange(Station& station, TileSelection& selection, TilePlace from, TileKey key)
{
    if (!selection.dragArmed)
        selection = {true, from.device, from.channel, selection.keyHeld};
    const TilePlace to = moveTileFocus(station, from, key);
    TileSelection held = selection;
    held.keyHeld = true;  // Shift is down
    dragOverTile(station, held, to.device, to.channel);
    return to;
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
