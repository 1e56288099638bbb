#pragma once

#include <QIcon>

namespace klv {

// The brand mark "CW" on a rounded square, at the sizes a window and a tray ask for.
QIcon brandIcon();

}  // namespace klv
