#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "data/step_capacity.h"

namespace klv {

struct Station;

inline constexpr int kScreenPass = 0x00FFFF;  // yellow
inline constexpr int kScreenFail = 14737632;  // light grey
inline constexpr const char* kMinimumBound = "01.00";
inline constexpr const char* kMaximumBound = "02.00";
inline constexpr const char* kBadBoundMessage = "设置数据有误！";

// A bound box's text once the box is left: the number in "00.00", or nothing when it holds no number.
std::optional<std::string> boundText(const std::string& text);

// A tile's colour as the screening judged it.
struct ScreenedTile {
    int device = 0, channel = 0, colour = 0;
};

// "确定": every channel of the snapshot turns yellow when it is connected, has selected steps
// and all of them lie within minimum..maximum (both included), and grey otherwise. A damaged
// results row or a stop request ends the screening there: the channels before it are judged.
std::vector<ScreenedTile> screenChannels(const CapacitySnapshot& snapshot, float minimum, float maximum,
                                         std::stop_token stop = {});
// Paints the judged tiles into the station's panel tables.
void applyScreening(Station& station, const std::vector<ScreenedTile>& tiles);
// "清除": every tile of every device grey.
void clearScreening(Station& station);

}  // namespace klv
