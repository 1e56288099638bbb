#pragma once

#include <QColor>

namespace klv {

// The station keeps colours as 0x00BBGGRR integers.
inline QColor toQColor(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace klv
