#pragma once

#include <optional>

namespace klv {

struct Station;

// Which items of the "控制" context menu are enabled.
struct ControlMenuState {
    bool menuSet = false, menuAdj = false;
    bool menuChnStart = false, menuChnStop = false, menuChnCont = false, menuSaveChnData = false;
    bool menuStart = false, menuStop = false, menuCont = false, MenuSaveData = false;
    bool menuSelStart = false, menuSelStop = false, menuSelCont = false;
};

// The context menu for a right press on tile (d, n), after the press has set the selection.
// One selected tile, the one pressed: it becomes the current device and selected channel.
// Nothing when the menu does not open (one tile selected, but not the one pressed).
std::optional<ControlMenuState> controlMenuFor(Station& station, int d, int n);

}  // namespace klv
