#pragma once

#include <QWidget>
#include <array>

#include "common/text_grid.h"

class QLabel;
class QStackedWidget;

namespace klv {

struct Station;
class CurveGraphWidget;
class TextGridWidget;

// The channel detail page: the test's cell, the device graphs stacked, and the step table, step results and
// cycle table so far of the channel in front. The cycle table is worked out again only when a
// step ends (a result row is added), not at every refresh.
class DetailPage : public QWidget {
    Q_OBJECT
public:
    DetailPage(Station& station, QWidget* parent = nullptr);
    ~DetailPage() override;

    CurveGraphWidget* graph(int device) { return graphs_[device]; }
    // Bring device d's graph and the tables of slot d × 8 + n to the front.
    void showChannel(int d, int n);
    void refresh();

Q_SIGNALS:
    void DblClick();

private:
    void refreshCycles();
    void refreshCell();

    Station& station_;
    std::array<CurveGraphWidget*, 6> graphs_{};
    QStackedWidget* graphStack_ = nullptr;
    QLabel* lblCell_ = nullptr;  // the test's cell, hidden when it names none
    TextGridWidget* gridRun_ = nullptr;
    TextGridWidget* gridList_ = nullptr;
    TextGridWidget* gridCycles_ = nullptr;
    TextGrid cycles_;
    int slot_ = 0;
    int cycleResultRows_ = -1;  // the result rows the cycle table was made of; -1: none yet
};

}  // namespace klv
