#pragma once

#include <QDialog>
#include <array>

#include "link/calibration.h"

class QLineEdit;
class QPushButton;

namespace klv {

struct Station;

// frmAdj, "基准校准": sends the four reference points and the commit to the selected channel
// through its command slot. Modeless and kept above other windows; the target is the
// station's current device and selected channel at each button press.
class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    CalibrationDialog(Station& station, QWidget* parent = nullptr);

    // menuAdj: shows the dialog when the selected channel exists and the dialog is not open
    // already. False when it did not open.
    bool openForSelection();
    // The dialog-open flag: true from show until it is closed by "返回", Esc or the close box.
    bool isOpen() const { return open_; }

Q_SIGNALS:
    // The main window keeps menuAdj enabled only while this is false.
    void openChanged(bool open);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Point {
        CalPoint point;
        QLineEdit* field;
        QPushButton* button;
    };
    int targetSlot() const;
    const DeviceEntry& targetDevice() const;
    void refreshForTarget();
    void leaveField(const Point& p);
    void pressPoint(const Point& p);
    void commit();

    Station& station_;
    std::array<Point, 4> points_{};
    QPushButton* cmdOK_ = nullptr;
    bool open_ = false;
};

}  // namespace klv
