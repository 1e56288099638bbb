#include "ui/detail_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "data/cycle_page.h"
#include "run/live_cycles.h"
#include "run/result_rows.h"
#include "station.h"
#include "ui/cell_field.h"
#include "ui/curve_graph_widget.h"
#include "ui/text_grid_widget.h"

namespace klv {

DetailPage::DetailPage(Station& station, QWidget* parent) : QWidget(parent), station_(station)
{
    setObjectName(QStringLiteral("detailPage"));
    graphStack_ = new QStackedWidget;
    for (int d = 0; d < kMaxDevices; ++d) {
        graphs_[d] = new CurveGraphWidget(station_.ui.graphs[d]);
        graphs_[d]->setObjectName(QStringLiteral("CurveGraph%1").arg(d));
        graphs_[d]->setAccessibleName(graphs_[d]->objectName());
        graphStack_->addWidget(graphs_[d]);
        connect(graphs_[d], &CurveGraphWidget::DblClick, this, &DetailPage::DblClick);
    }
    gridRun_ = new TextGridWidget(QStringLiteral("gridRun"));
    gridRun_->setColumnTwips({800, -1, -1, -1, -1, -1});
    gridList_ = new TextGridWidget(QStringLiteral("gridList"));
    gridList_->setColumnTwips({700, 700, 800, 1000, 1000, -1});
    for (TextGridWidget* grid : {gridRun_, gridList_})
        grid->setFixedHeight(11 * grid->verticalHeader()->defaultSectionSize() + 8 +
                             grid->horizontalHeader()->sizeHint().height());
    gridCycles_ = new TextGridWidget(QStringLiteral("gridCycles"));
    gridCycles_->setAccessibleName(tr("循环表"));
    gridCycles_->gridModel().setGrid(&cycles_);
    gridCycles_->setFixedHeight(4 * gridCycles_->verticalHeader()->defaultSectionSize() + 8 +
                                gridCycles_->horizontalHeader()->sizeHint().height());

    lblCell_ = new QLabel;
    lblCell_->setObjectName(QStringLiteral("lblCell"));

    auto* tables = new QHBoxLayout;
    tables->addWidget(gridRun_, 1);
    tables->addWidget(gridList_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->addWidget(lblCell_);
    layout->addWidget(graphStack_, 1);
    layout->addLayout(tables);
    layout->addWidget(gridCycles_);
    showChannel(0, 0);
}

// The cycle grid shows cycles_, a member: it goes before the member does.
DetailPage::~DetailPage() { delete gridCycles_; }

void DetailPage::showChannel(int d, int n)
{
    slot_ = slotOf(d, n);
    graphStack_->setCurrentIndex(d);
    const RunSlot& run = station_.run.slots[slot_];
    // Column 0 of the step rows carries the run's marking colour; the button face is no marking.
    gridRun_->gridModel().setGrid(&station_.program.gridRun[slot_], [&run](int row, int col) {
        return col == 0 && row <= kStepRows && run.stepRowColor[row] != kColorButtonFace ? run.stepRowColor[row] : -1;
    });
    gridList_->gridModel().setGrid(&run.gridList);
    cycleResultRows_ = -1;
    refreshCycles();
    refreshCell();
}

void DetailPage::refresh()
{
    if (!isVisible())
        return;
    gridRun_->gridModel().refresh();
    gridList_->gridModel().refresh();
    refreshCycles();
    refreshCell();
}

void DetailPage::refreshCell()
{
    const QString cell = cellText(station_.run.slots[slot_].cell);
    if (lblCell_->text() != cell)
        lblCell_->setText(cell);
    lblCell_->setVisible(!cell.isEmpty());
}

void DetailPage::refreshCycles()
{
    const int rows = lastFilledResultRow(station_.run.slots[slot_].gridList);
    if (rows == cycleResultRows_)
        return;
    cycleResultRows_ = rows;
    fillCycleGrid(cycles_, liveCycleRows(station_, slot_));
    gridCycles_->gridModel().refresh();
}

}  // namespace klv
