#pragma once

namespace klv {

struct Station;
struct TileState;

// Range selection by mouse: armed by a left press on a tile, extended while a key is held.
struct TileSelection {
    bool dragArmed = false;
    int anchorDevice = 0, anchorChannel = 0;
    bool keyHeld = false;  // between a key-down and the next key-up on the main window
};

inline constexpr int kLeftButton = 1, kRightButton = 2;

// A tile by device index and channel, as the keyboard's focus stands on it.
struct TilePlace {
    int device = 0, channel = 0;
    friend bool operator==(const TilePlace&, const TilePlace&) = default;
};

// The keys that move the focus over the tiles.
enum class TileKey { Left, Right, Up, Down, Home, End };

// The frame colour a tile shows: teal when selected, grey when enabled, light grey when not.
// A disabled tile shows the disabled frame whether or not it is selected.
int tileBorderColour(const TileState& tile);

// A mouse press on tile (device d, channel n) with button 1 left, 2 right, 4 middle.
// True when the context menu is to open (right button while connected).
bool pressTile(Station& station, TileSelection& selection, int d, int n, int button);
// The pointer moved over tile (d, n): with the drag armed and a key held, select the
// rectangle from the anchor to (d, n); a rectangle towards a lower device or channel is empty.
void dragOverTile(Station& station, const TileSelection& selection, int d, int n);
// A double-click on tile (d, n): only its curves on the device graph, its title, and the
// tile selected alone. The caller brings the detail page to the front.
void chooseTile(Station& station, int d, int n);
// Where a key moves the focus from tile `from`; only tiles whose channel exists take it.
// Left and Right step through them in reading order, device after device; Up and Down go to
// the nearest device above or below with such a tile, at the channel nearest to the one left;
// Home and End go to the first and the last. Nothing that way: the focus stays.
TilePlace moveTileFocus(const Station& station, TilePlace from, TileKey key);
// Space (left button) or the menu key (right button) on the focused tile: a press of that
// button there. The key that makes the press is not a key held for a range.
bool pressTileByKey(Station& station, TileSelection& selection, TilePlace at, int button);
// Shift with a key: the focus moves as moveTileFocus, and the range from the drag's anchor to
// the new focus is selected as a drag over it selects. With nothing armed, the tile the focus
// leaves is the anchor.
TilePlace extendTileRange(Station& station, TileSelection& selection, TilePlace from, TileKey key);
// The number of selected tiles over every panel.
int selectedTileCount(const Station& station);

}  // namespace klv
