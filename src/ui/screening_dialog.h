#pragma once

#include <QDialog>

#include "ui/qt_worker.h"

class QLineEdit;

namespace klv {

struct Station;
class CapacityQueryWidget;

// "容量刷选": colours every channel tile yellow when all its selected step capacities lie within
// the bounds and grey otherwise. Opened modeless; "确定" judges a copy of the results tables on a
// worker, then paints the tiles and closes the dialog.
class ScreeningDialog : public QDialog {
    Q_OBJECT
public:
    explicit ScreeningDialog(Station& station, QWidget* parent = nullptr);

    CapacityQueryWidget& queryBoxes() { return *query_; }
    QLineEdit& minimumBox() { return *minimum_; }
    QLineEdit& maximumBox() { return *maximum_; }

    void screen();        // "确定"
    void clearColours();  // "清除"

Q_SIGNALS:
    // Tile colours changed in the station's panel tables: the main window repaints its tiles.
    void tilesRecoloured();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* boundBox(const char* name, const char* fallback);
    void checkBound(QLineEdit* box, const char* fallback);

    Station& station_;
    CapacityQueryWidget* query_;
    QLineEdit* minimum_;
    QLineEdit* maximum_;
    bool screening_ = false;
    Worker worker_;  // last: stopped before anything it could deliver to goes
};

}  // namespace klv
