#include "ui/qt_window_place.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace klv {

void centreOnScreen(QWidget& window, int raisePixels)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2,
                std::max(area.y(), area.y() + (area.height() - size.height()) / 2 - raisePixels));
}

}  // namespace klv
