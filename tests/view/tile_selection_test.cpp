#include <gtest/gtest.h>

#include "data/data_station.h"
#include "support/selected_tiles.h"
#include "view/tile_selection.h"

using namespace klv;

namespace {

// Two devices; device 1 has channels 1..4 connected, device 2 all eight.
struct TileBench : DataStation {
    TileSelection selection;

    TileBench()
    {
        addDevice(0, "TAL-M1", 0, 1000);
        addDevice(1, "TAL-M1", 1, 1000);
        for (int n = 0; n < 4; ++n)
            station.ui.panels[0].Conn[n] = true;
        station.ui.panels[1].Conn.fill(true);
    }

    std::vector<std::string> selected() const { return selectedTileNames(station); }
};

using Names = std::vector<std::string>;

}  // namespace

TEST(TileSelectionTest, PressesSelectOneConnectedTileAndTheRightButtonKeepsASelection)
{
    TileBench b;
    EXPECT_FALSE(pressTile(b.station, b.selection, 0, 1, 1));
    EXPECT_EQ(b.selected(), Names{"1-2"});
    EXPECT_TRUE(b.selection.dragArmed);
    // Pressed again: unselected. A tile without a channel cannot be selected.
    pressTile(b.station, b.selection, 0, 1, 1);
    EXPECT_EQ(b.selected(), Names{});
    pressTile(b.station, b.selection, 0, 6, 1);
    EXPECT_EQ(b.selected(), Names{});

    // A right press keeps a selection it falls on and opens the menu only while connected.
    pressTile(b.station, b.selection, 1, 0, 1);
    b.station.ui.panels[1].tiles[3].sel = true;
    EXPECT_FALSE(pressTile(b.station, b.selection, 1, 3, kRightButton));
    EXPECT_EQ(b.selected(), (Names{"2-1", "2-4"}));
    b.station.link.connected = true;
    EXPECT_TRUE(pressTile(b.station, b.selection, 1, 3, kRightButton));
    EXPECT_EQ(b.selected(), (Names{"2-1", "2-4"}));
    // A right press elsewhere selects that tile alone without arming a drag.
    b.selection.dragArmed = false;
    EXPECT_TRUE(pressTile(b.station, b.selection, 1, 5, kRightButton));
    EXPECT_EQ(b.selected(), Names{"2-6"});
    EXPECT_FALSE(b.selection.dragArmed);
}

TEST(TileSelectionTest, DraggingWithAKeyHeldSelectsTheRectangleOfConnectedTiles)
{
    TileBench b;
    pressTile(b.station, b.selection, 0, 2, 1);
    const struct {
        bool keyHeld;
        int d, n;
        Names selected;
    } moves[] = {
        {false, 1, 4, {"1-3"}},                             // no key: nothing changes
        {true, 1, 4, {"1-3", "1-4", "2-3", "2-4", "2-5"}},  // 1-5 has no channel
        {true, 0, 2, {"1-3"}},                              // back on the anchor
        {true, 1, 1, {}},                                   // towards a lower channel: empty
    };
    for (const auto& m : moves) {
        b.selection.keyHeld = m.keyHeld;
        dragOverTile(b.station, b.selection, m.d, m.n);
        EXPECT_EQ(b.selected(), m.selected) << m.d << "-" << m.n;
    }
    // With a key held, the next press ends the drag and leaves the selection.
    dragOverTile(b.station, b.selection, 1, 3);
    pressTile(b.station, b.selection, 1, 7, 1);
    EXPECT_FALSE(b.selection.dragArmed);
    EXPECT_EQ(selectedTileCount(b.station), 4);
}

TEST(TileSelectionTest, BordersAndADoubleClickShowingOneChannel)
{
    TileState tile;
    const struct {
        bool enabled, selected;
        int border;
    } borders[] = {{true, true, 12632064}, {true, false, 11053224}, {false, true, 13684944}, {false, false, 13684944}};
    for (const auto& c : borders) {
        tile.Enable = c.enabled;
        tile.sel = c.selected;
        EXPECT_EQ(tileBorderColour(tile), c.border) << c.enabled << c.selected;
    }

    TileBench b;
    b.station.ui.showCurveLabels = true;
    pressTile(b.station, b.selection, 0, 0, 1);
    chooseTile(b.station, 1, 2);
    EXPECT_EQ(b.selected(), Names{"2-3"});
    const CurveGraph& graph = b.station.ui.graphs[1];
    for (int k = 0; k < 2 * kChannelsPerDevice; ++k) {
        EXPECT_EQ(graph.ShowCurve(k), k / 2 == 2) << k;
        EXPECT_EQ(graph.ShowLegend(k), k / 2 == 2) << k;
    }
    EXPECT_EQ(graph.title().caption, "TAL-M1  2-3");
}
