#include "ui/text_grid_widget.h"

#include <QHeaderView>

#include "common/text_grid.h"
#include "ui/battery_widget.h"
#include "ui/qt_colour.h"
#include "ui/shown_word.h"

namespace klv {

void TextGridModel::setGrid(const TextGrid* grid, CellColour colour)
{
    beginResetModel();
    grid_ = grid;
    colour_ = std::move(colour);
    rows_ = grid_ ? std::max(grid_->rows - 1, 0) : 0;
    cols_ = grid_ ? grid_->cols : 0;
    endResetModel();
}

void TextGridModel::refresh()
{
    if (!grid_)
        return;
    const int rows = std::max(grid_->rows - 1, 0);
    if (rows != rows_ || grid_->cols != cols_) {
        setGrid(grid_, colour_);
        return;
    }
    if (rows_ > 0 && cols_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole, Qt::BackgroundRole});
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

int TextGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int TextGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant TextGridModel::data(const QModelIndex& index, int role) const
{
    if (!grid_ || !index.isValid() || index.row() + 1 >= grid_->rows || index.column() >= grid_->cols)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return shownWord(grid_->at(index.row() + 1, index.column()));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (colour_) {
            const int c = colour_(index.row() + 1, index.column());
            if (c >= 0)
                return toQColor(c);
        }
        return {};
    default:
        return {};
    }
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!grid_ || orientation != Qt::Horizontal || section >= grid_->cols || grid_->rows == 0)
        return {};
    if (role == Qt::DisplayRole)
        return shownWord(grid_->at(0, section));
    return {};
}

TextGridWidget::TextGridWidget(const QString& name, QWidget* parent) : QTableView(parent), model_(this)
{
    setObjectName(name);
    setAccessibleName(name);
    setModel(&model_);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAlternatingRowColors(true);
    setWordWrap(false);
    // The arrows move within the grid; Tab goes on to the next control.
    setTabKeyNavigation(false);
}

void TextGridWidget::setColumnTwips(const std::vector<int>& widths)
{
    widths_ = widths;
    applyWidths();
}

void TextGridWidget::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    applyWidths();
}

void TextGridWidget::applyWidths()
{
    constexpr int t = BatteryWidget::kTwipsPerPixel;
    int fixed = 0, shares = 0;
    for (int w : widths_) {
        fixed += w < 0 ? 0 : w / t;
        shares += w < 0 ? 1 : 0;
    }
    const int share = shares > 0 ? std::max((viewport()->width() - fixed) / shares, 40) : 0;
    for (int c = 0; c < static_cast<int>(widths_.size()); ++c)
        setColumnWidth(c, widths_[c] < 0 ? share : widths_[c] / t);
}

}  // namespace klv
