#pragma once

#include <QDialog>

#include "common/text_grid.h"
#include "ui/qt_worker.h"

namespace klv {

struct Station;
class CapacityQueryWidget;
class TextGridWidget;

// "数据报表": the capacities of the selected steps of every connected channel, from the live
// step results tables, and their CSV. Opened modeless; reads the station anew at each "确定"
// and fills from that copy on a worker, so the bench and the window go on meanwhile.
class ReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportDialog(Station& station, QWidget* parent = nullptr);
    ~ReportDialog() override;

    const TextGrid& report() const { return report_; }
    CapacityQueryWidget& queryBoxes() { return *query_; }

    void fill();   // "确定"
    void clear();  // "清除"
    void save();   // "保存"
    bool isFilling() const { return filling_; }

Q_SIGNALS:
    // The report of the last "确定" is in the grid.
    void filled();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Station& station_;
    TextGrid report_;
    CapacityQueryWidget* query_;
    TextGridWidget* grid_;
    bool filling_ = false;
    Worker worker_;  // last: stopped before anything it could deliver to goes
};

}  // namespace klv
