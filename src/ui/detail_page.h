#pragma once

#include <QWidget>
#include <array>

class QStackedWidget;

namespace klv {

struct Station;
class CurveGraphWidget;
class TextGridWidget;

// The channel detail page: the device graphs stacked, and the step table and step results
// of the channel in front.
class DetailPage : public QWidget {
    Q_OBJECT
public:
    DetailPage(Station& station, QWidget* parent = nullptr);

    CurveGraphWidget* graph(int device) { return graphs_[device]; }
    // Bring device d's graph and the tables of slot d × 8 + n to the front.
    void showChannel(int d, int n);
    void refresh();

Q_SIGNALS:
    void DblClick();

private:
    Station& station_;
    std::array<CurveGraphWidget*, 6> graphs_{};
    QStackedWidget* graphStack_ = nullptr;
    TextGridWidget* gridRun_ = nullptr;
    TextGridWidget* gridList_ = nullptr;
    int slot_ = 0;
};

}  // namespace klv
