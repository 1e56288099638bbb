#pragma once

#include <optional>
#include <string>

#include "common/screen_text.h"
#include "data/step_capacity.h"

namespace klv {

struct Station;

inline constexpr int kScreenPass = 0x00FFFF;  // yellow
inline constexpr int kScreenFail = 14737632;  // light grey
inline constexpr const char* kMinimumBound = "01.00";
inline constexpr const char* kMaximumBound = "02.00";
inline constexpr const char* kBadBoundMessage = KLV_NOOP("Message", "设置数据有误！");

// A bound box's text once the box is left: the number in "00.00", or nothing when it holds no number.
std::optional<std::string> boundText(const std::string& text);

// "确定": every channel of the device range turns yellow when it is connected, has selected steps
// and all of them lie within minimum..maximum (both included), and grey otherwise. A damaged
// results row ends the screening there.
void screenChannels(Station& station, const CapacityQuery& query, float minimum, float maximum);
// "清除": every tile of every device grey.
void clearScreening(Station& station);

}  // namespace klv
