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

inline constexpr int kRightButton = 2;

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
// The number of selected tiles over every panel.
int selectedTileCount(const Station& station);

}  // namespace klv
