#pragma once

#include <string>
#include <vector>

#include "common/text_grid.h"
#include "link/registry.h"
#include "view/curve_graph.h"

namespace klv {

inline constexpr int kColorLampOff = 12632256;      // grey state lamp
inline constexpr int kColorChannelIdle = 14737632;  // light grey channel label

// What one channel tile shows; the tile widget only paints this.
struct TileState {
    std::string vol = "0.000", cur = "0.000", cap = "0.000", Wh = "0.000";
    std::string Txt;  // channel name, "1-3"
    int Color = kColorLampOff;
    int ChnColor = kColorChannelIdle;
    int VolColor = 0, CurColor = 0, CapColor = 0, WhColor = 0;
    int BkColor = kColorChannelIdle;
    bool sel = false;
    bool Enable = false;
};

// One device panel: eight tiles and the flags of the channels that exist.
struct PanelState {
    IndexTable<TileState, kChannelsPerDevice> tiles{};
    ChannelFlags Conn{};
    bool Bold = false;
};

struct TreeNode {
    std::string key, text, parentKey;
    bool expanded = false;
};

struct UiTables {
    IndexTable<PanelState, kMaxDevices> panels{};
    std::vector<std::string> lstDev;
    std::vector<TreeNode> treeDev;
    TextGrid gridView;
    // Fill colours of the four legend swatches (voltage, current, capacity, energy).
    int shpVol = 16744448, shpCur = 8421631, shpCap = 4210752, shpPwr = 4210752;
    IndexTable<CurveGraph, kMaxDevices> graphs;  // one per device index
    std::vector<std::string> history;            // lstLog, the operator's history lines
    bool showCurveLabels = false;                // the curve-label option, key "SLA"
    int currentDevice = 0, selectedChannel = 0;
};

}  // namespace klv
