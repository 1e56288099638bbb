#pragma once

#include <QWidget>

namespace klv {

struct PanelState;

// The channel tile: paints one TileState (lamp, name, four values and units inside the
// selection frame) and raises the mouse events of the tile.
class BatteryWidget : public QWidget {
    Q_OBJECT
public:
    BatteryWidget(const PanelState& panel, int channel, QWidget* parent = nullptr);

    // Follow the tile's state: enabling, accessible texts and a repaint when it changed.
    void refresh();

    static constexpr int kTwipsPerPixel = 15;
    QSize sizeHint() const override;

Q_SIGNALS:
    // Buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; tile pixels.
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void Click();
    void DblClick();
    // A key the tiles take (arrows, Home, End, Space, Enter, the menu key, Shift+F10) pressed
    // while this tile has the focus; shift as for the mouse events.
    void KeyDown(int key, int shift);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool raisesEvents(QPoint at) const;
    QString describe() const;

    const PanelState& panel_;
    const int channel_;
    QString painted_;  // what the last paint showed, to skip repaints of an unchanged tile
};

// Mouse button and modifier codes as the tile and panel events carry them.
int buttonCode(Qt::MouseButtons buttons);
int shiftCode(Qt::KeyboardModifiers modifiers);

}  // namespace klv
