#pragma once

#include "common/screen_text.h"

namespace klv {

inline constexpr const char* kBrandWord = "Cellward";
inline constexpr const char* kAppTitle = KLV_NOOP("Brand", "多通道电池测试系统");
inline constexpr const char* kWebAddress = "www.cellward.example";
// Ten dashes, the web address, fourteen dashes: the banner of every file the station writes.
inline constexpr const char* kBannerLine = "----------www.cellward.example--------------";

}  // namespace klv
