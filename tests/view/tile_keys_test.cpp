#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bench_fixture.h"
#include "support/selected_tiles.h"
#include "view/tile_selection.h"

using namespace klv;

namespace {

// Three units found on the bench: all eight channels, channels 1..4, channels 6 and 7.
struct TileKeysTest : BenchFixture {
    TileSelection selection;

    TileKeysTest()
    {
        bus.addUnit(0, 20);
        bus.addUnit(1, 22, {1, 1, 1, 1, 0, 0, 0, 0});
        bus.addUnit(2, 22, {0, 0, 0, 0, 0, 1, 1, 0});
        EXPECT_EQ(connect(), ConnectResult::Connected);
    }

    std::vector<std::string> selected() const { return selectedTileNames(station); }
    static std::string name(TilePlace at)
    {
        return std::to_string(at.device + 1) + "-" + std::to_string(at.channel + 1);
    }
};

TEST_F(TileKeysTest, FocusMovesOverPresentTilesOnly)
{
    const struct {
        TilePlace from;
        TileKey key;
        const char* to;
    } cases[] = {
        {{0, 7}, TileKey::Right, "2-1"},                                   // the next device's row
        {{1, 3}, TileKey::Right, "3-6"},                                   // over 2-5..2-8 and 3-1..3-5, absent
        {{2, 5}, TileKey::Left, "2-4"},  {{2, 6}, TileKey::Right, "3-7"},  // the last one stays
        {{0, 0}, TileKey::Left, "1-1"},  {{0, 6}, TileKey::Down, "2-4"},   // nearest channel of the row
        {{1, 1}, TileKey::Down, "3-6"},  {{2, 5}, TileKey::Up, "2-4"},
        {{1, 2}, TileKey::Up, "1-3"},    {{2, 6}, TileKey::Down, "3-7"},  // no row below
        {{2, 6}, TileKey::Home, "1-1"},  {{0, 0}, TileKey::End, "3-7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(name(moveTileFocus(station, c.from, c.key)), c.to) << name(c.from) << " key " << int(c.key);
}

// Shift with the arrows draws the range as a drag with a key held does: from the anchor
// towards higher devices and channels only, absent channels never.
TEST_F(TileKeysTest, ShiftArrowsSelectAsTheRangeDrag)
{
    using K = TileKey;
    const struct {
        TilePlace space;  // Space here arms the range, as a left press
        std::vector<K> keys;
        const char* focus;
        std::vector<std::string> selected;
    } cases[] = {
        {{0, 2}, {K::Right, K::Down}, "2-4", {"1-3", "1-4", "2-3", "2-4"}},
        {{0, 2}, {K::Right, K::Down, K::Down}, "3-6", {"1-3", "1-4", "1-5", "1-6", "2-3", "2-4", "3-6"}},
        {{0, 2}, {K::Left}, "1-2", {}},  // towards a lower channel
        {{0, 6}, {K::Down}, "2-4", {}},  // the nearest tile below lies at a lower channel
        {{1, 0}, {K::Up}, "1-1", {}},    // towards a lower device
    };
    for (const auto& c : cases) {
        selection = {};
        station.ui.panels[5].tiles[0].sel = true;  // an old selection goes with the press
        pressTileByKey(station, selection, c.space, kLeftButton);
        TilePlace at = c.space;
        for (K key : c.keys)
            at = extendTileRange(station, selection, at, key);
        EXPECT_EQ(name(at), c.focus) << name(c.space);
        EXPECT_EQ(selected(), c.selected) << name(c.space);
    }

    // With nothing armed, the tile the focus leaves anchors the range.
    selection = {};
    pressTileByKey(station, selection, {0, 0}, kLeftButton);
    pressTileByKey(station, selection, {0, 0}, kLeftButton);  // a second Space deselects it
    EXPECT_TRUE(selected().empty());
    extendTileRange(station, selection, {1, 0}, K::Right);
    EXPECT_EQ(selected(), (std::vector<std::string>{"2-1", "2-2"}));
}

// The key that presses is down while it presses: Space and the menu key act as the clicks do
// with no key held, where a mouse press with a key held would only disarm the range.
TEST_F(TileKeysTest, KeyPressesActAsClicksWithNoKeyHeld)
{
    selection.keyHeld = true;
    EXPECT_FALSE(pressTileByKey(station, selection, {0, 1}, kLeftButton));
    EXPECT_EQ(selected(), std::vector<std::string>{"1-2"});
    EXPECT_TRUE(selection.dragArmed);
    EXPECT_TRUE(pressTileByKey(station, selection, {1, 2}, kRightButton));
    EXPECT_EQ(selected(), std::vector<std::string>{"2-3"});
    EXPECT_TRUE(selection.keyHeld);

    pressTileByKey(station, selection, {1, 5}, kLeftButton);  // no channel there
    EXPECT_TRUE(selected().empty());
}

}  // namespace
