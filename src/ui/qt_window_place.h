#pragma once

class QWidget;

namespace klv {

// Centres a window on its screen's free area, raised by this many pixels above the middle.
void centreOnScreen(QWidget& window, int raisePixels = 0);

}  // namespace klv
