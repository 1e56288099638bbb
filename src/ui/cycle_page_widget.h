#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;

namespace klv {

class CurveGraphWidget;
class CyclePage;
class TextGridWidget;

// "循环": the data viewer's cycles page, showing its CyclePage on the window's thread: the cycle
// table, the capacity of every cycle and dQ/dV of the cycle and the charge or discharge chosen
// below it. Saving is asked of the window, which owns the file dialogs.
class CyclePageWidget : public QWidget {
    Q_OBJECT
public:
    explicit CyclePageWidget(CyclePage& page, QWidget* parent = nullptr);

    // Follow the page after a load or a reset; saving is offered when a whole test is shown.
    void refresh(bool canSave);
    CurveGraphWidget& capacityWidget() { return *capacity_; }
    CurveGraphWidget& dqdvWidget() { return *dqdv_; }

Q_SIGNALS:
    void saveTableAsked();
    void savePictureAsked(CurveGraphWidget* graph);

private:
    QWidget* buildChooser();
    void drawChosen();

    CyclePage& page_;
    TextGridWidget* table_;
    CurveGraphWidget* capacity_;
    CurveGraphWidget* dqdv_;
    QComboBox* cycle_ = nullptr;
    QComboBox* role_ = nullptr;
    QPushButton* saveTable_ = nullptr;
    QPushButton* saveCapacity_ = nullptr;
    QPushButton* saveDqdv_ = nullptr;
};

}  // namespace klv
