#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <functional>

namespace klv {

struct TextGrid;

// A TextGrid as a table: row 0 is the header, rows 1.. the body, every cell centred.
class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Colour of a body cell as 0x00BBGGRR, or -1 for the table's own background.
    using CellColour = std::function<int(int row, int col)>;

    explicit TextGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setGrid(const TextGrid* grid, CellColour colour = {});
    // Follow the grid after its cells or its row count changed.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TextGrid* grid_ = nullptr;
    CellColour colour_;
    int rows_ = 0, cols_ = 0;  // the shape the view knows
};

// The read-only grid control of the station's windows.
class TextGridWidget : public QTableView {
    Q_OBJECT
public:
    explicit TextGridWidget(const QString& name, QWidget* parent = nullptr);
    TextGridModel& gridModel() { return model_; }
    // Column widths in twips; columns given as -1 share what the others leave.
    void setColumnTwips(const std::vector<int>& widths);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyWidths();
    TextGridModel model_;
    std::vector<int> widths_;
};

}  // namespace klv
