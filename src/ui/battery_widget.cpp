#include "ui/battery_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "station.h"
#include "ui/qt_colour.h"
#include "view/tile_selection.h"

namespace klv {

namespace {

// The tile's layout of record, in twips (left, top, width, height).
QRect px(int left, int top, int width, int height)
{
    constexpr int t = BatteryWidget::kTwipsPerPixel;
    return QRect(left / t, top / t, width / t, height / t);
}

const QRect kTile = px(0, 0, 1335, 1485);
const QRect kLamp = px(120, 120, 255, 135);
const QRect kName = px(480, 105, 735, 300);
const QRect kFrame = px(15, 10, 1300, 1455);
const QRect kValues[4] = {px(120, 360, 735, 255), px(120, 600, 735, 255), px(120, 840, 735, 255),
                          px(120, 1080, 735, 255)};
const QRect kUnits[4] = {px(880, 375, 375, 255), px(880, 615, 375, 255), px(880, 855, 375, 255),
                         px(880, 1095, 375, 255)};
const char* const kUnitTexts[4] = {"V", "A", "Ah", "Wh"};

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

int buttonCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

BatteryWidget::BatteryWidget(const PanelState& panel, int channel, QWidget* parent)
        : QWidget(parent), panel_(panel), channel_(channel)
{
    setObjectName(QStringLiteral("batChn%1").arg(channel));
    setFixedSize(kTile.size());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);          // a range is drawn by moving over tiles with a key held, no button
    setFocusPolicy(Qt::ClickFocus);  // the overview gives Tab to one tile of the area
    refresh();
}

QSize BatteryWidget::sizeHint() const { return kTile.size(); }

QString BatteryWidget::describe() const
{
    const TileState& tile = panel_.tiles[channel_];
    return QStringLiteral("%1 %2 V %3 A %4 Ah %5 Wh")
        .arg(qs(tile.Txt), qs(tile.vol), qs(tile.cur), qs(tile.cap), qs(tile.Wh));
}

void BatteryWidget::refresh()
{
    const TileState& tile = panel_.tiles[channel_];
    setEnabled(tile.Enable);
    // The operator names a channel by the tile's caption up to its state word ("1-3  放电").
    const QString name = qs(tile.Txt).section(QLatin1Char(' '), 0, 0);
    setAccessibleName(name.isEmpty() ? QStringLiteral("-") : name);
    const QString description = describe();
    setAccessibleDescription(description);
    const QString look = description + QStringLiteral("|%1|%2|%3|%4|%5|%6|%7|%8|%9")
                                           .arg(tile.Color)
                                           .arg(tile.ChnColor)
                                           .arg(tile.BkColor)
                                           .arg(tileBorderColour(tile))
                                           .arg(tile.VolColor)
                                           .arg(tile.CurColor)
                                           .arg(tile.CapColor)
                                           .arg(tile.WhColor)
                                           .arg(panel_.Bold ? 1 : 0);
    if (look != painted_) {
        painted_ = look;
        update();
    }
}

void BatteryWidget::paintEvent(QPaintEvent*)
{
    const TileState& tile = panel_.tiles[channel_];
    QPainter p(this);
    p.fillRect(rect(), toQColor(tile.BkColor));
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(toQColor(tileBorderColour(tile)), 2));
    p.drawRect(QRectF(kFrame).adjusted(1, 1, -1, -1));

    if (hasFocus()) {  // dashed and dark inside the frame: the selection frame stays as it is
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(QRectF(kFrame).adjusted(4.5, 4.5, -4.5, -4.5));
    }

    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(toQColor(tile.Color));
    p.drawRoundedRect(QRectF(kLamp).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setBrush(Qt::NoBrush);

    QFont font = this->font();
    font.setPixelSize(11);
    p.setFont(font);
    p.fillRect(kName, toQColor(tile.ChnColor));
    p.setPen(tile.Enable ? Qt::black : Qt::gray);
    p.drawText(kName, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, qs(tile.Txt));

    font.setPixelSize(12);
    font.setBold(panel_.Bold);
    p.setFont(font);
    const std::string* values[4] = {&tile.vol, &tile.cur, &tile.cap, &tile.Wh};
    const int colours[4] = {tile.VolColor, tile.CurColor, tile.CapColor, tile.WhColor};
    for (int i = 0; i < 4; ++i) {
        p.setPen(tile.Enable ? toQColor(colours[i]) : QColor(Qt::gray));
        p.drawText(kValues[i], Qt::AlignRight | Qt::AlignVCenter, qs(*values[i]));
        p.drawText(kUnits[i].adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QLatin1String(kUnitTexts[i]));
    }
}

// The energy value and its unit take no input of their own; everything else is the tile.
bool BatteryWidget::raisesEvents(QPoint at) const { return !kValues[3].contains(at) && !kUnits[3].contains(at); }

void BatteryWidget::mousePressEvent(QMouseEvent* event)
{
    if (raisesEvents(event->position().toPoint()))
        Q_EMIT MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), event->position().x(),
                         event->position().y());
}

void BatteryWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (raisesEvents(event->position().toPoint()))
        Q_EMIT MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), event->position().x(),
                         event->position().y());
}

void BatteryWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!raisesEvents(event->position().toPoint()))
        return;
    Q_EMIT MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), event->position().x(),
                   event->position().y());
    if (rect().contains(event->position().toPoint()))
        Q_EMIT Click();
}

void BatteryWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (raisesEvents(event->position().toPoint()))
        Q_EMIT DblClick();
}

void BatteryWidget::keyPressEvent(QKeyEvent* event)
{
    static const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,  Qt::Key_Home,
                               Qt::Key_End,  Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Menu};
    const int key = event->key();
    const bool shiftF10 = key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (!shiftF10 && std::find(std::begin(keys), std::end(keys), key) == std::end(keys)) {
        QWidget::keyPressEvent(event);
        return;
    }
    Q_EMIT KeyDown(shiftF10 ? Qt::Key_Menu : key, shiftCode(event->modifiers()));
}

void BatteryWidget::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void BatteryWidget::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace klv
