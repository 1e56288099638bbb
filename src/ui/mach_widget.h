#pragma once

#include <QWidget>
#include <array>

#include "ui/battery_widget.h"

namespace klv {

struct PanelState;

// The device panel: the eight tiles of one device in a row, forwarding their events
// with the channel index.
class MachWidget : public QWidget {
    Q_OBJECT
public:
    MachWidget(const PanelState& panel, int index, QWidget* parent = nullptr);

    BatteryWidget* tile(int channel) { return tiles_[channel]; }
    // Follow the panel's state; only tiles whose look changed repaint.
    void refresh();

Q_SIGNALS:
    void Click(int channel);
    void DblClick(int channel);
    void MouseDown(int channel, int button, int shift, int x, int y);
    void MouseMove(int channel, int button, int shift, int x, int y);
    void MouseUp(int channel, int button, int shift, int x, int y);
    void KeyDown(int channel, int key, int shift);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PanelState& panel_;
    std::array<BatteryWidget*, 8> tiles_{};
};

}  // namespace klv
