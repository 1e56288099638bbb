#include "ui/mach_widget.h"

#include <QPainter>

#include "station.h"
#include "ui/qt_colour.h"

namespace klv {

namespace {

constexpr int kPanelWidthTwips = 11655, kPanelHeightTwips = 1560;
constexpr int kFirstTileLeftTwips = 120, kTilePitchTwips = 1440;
constexpr int kPanelBackground = 14737632;

}  // namespace

MachWidget::MachWidget(const PanelState& panel, int index, QWidget* parent) : QWidget(parent), panel_(panel)
{
    constexpr int t = BatteryWidget::kTwipsPerPixel;
    setObjectName(QStringLiteral("Mach%1").arg(index));
    setAccessibleName(objectName());
    setFixedSize(kPanelWidthTwips / t, kPanelHeightTwips / t);
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        auto* tile = new BatteryWidget(panel, n, this);
        tile->move((kFirstTileLeftTwips + kTilePitchTwips * n) / t, 0);
        tiles_[n] = tile;
        connect(tile, &BatteryWidget::Click, this, [this, n] { Q_EMIT Click(n); });
        connect(tile, &BatteryWidget::DblClick, this, [this, n] { Q_EMIT DblClick(n); });
        connect(tile, &BatteryWidget::MouseDown, this,
                [this, n](int b, int s, int x, int y) { Q_EMIT MouseDown(n, b, s, x, y); });
        connect(tile, &BatteryWidget::MouseMove, this,
                [this, n](int b, int s, int x, int y) { Q_EMIT MouseMove(n, b, s, x, y); });
        connect(tile, &BatteryWidget::MouseUp, this,
                [this, n](int b, int s, int x, int y) { Q_EMIT MouseUp(n, b, s, x, y); });
        connect(tile, &BatteryWidget::KeyDown, this, [this, n](int key, int s) { Q_EMIT KeyDown(n, key, s); });
    }
}

void MachWidget::refresh()
{
    for (BatteryWidget* tile : tiles_)
        tile->refresh();
}

void MachWidget::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), toQColor(kPanelBackground)); }

}  // namespace klv
