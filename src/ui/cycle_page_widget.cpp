#include "ui/cycle_page_widget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "data/cycle_page.h"
#include "ui/curve_graph_widget.h"
#include "ui/text_grid_widget.h"

namespace klv {

namespace {

constexpr int kChargeIndex = 0;  // of the role chooser; the discharge is 1

// A button is read by its caption.
QPushButton* button(const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

CyclePageWidget::CyclePageWidget(CyclePage& page, QWidget* parent) : QWidget(parent), page_(page)
{
    setObjectName(QStringLiteral("pageCycles"));
    table_ = new TextGridWidget(QStringLiteral("gridCycles"));
    table_->setAccessibleName(tr("循环表"));
    table_->gridModel().setGrid(&page_.table());
    capacity_ = new CurveGraphWidget(page_.capacityGraph());
    capacity_->setObjectName(QStringLiteral("graphCapacity"));
    capacity_->setAccessibleName(tr("容量-循环曲线"));
    capacity_->setMinimumSize(320, 220);
    dqdv_ = new CurveGraphWidget(page_.dqdvGraph());
    dqdv_->setObjectName(QStringLiteral("graphDqDv"));
    dqdv_->setAccessibleName(tr("dQ/dV 曲线"));
    dqdv_->setMinimumSize(320, 220);

    auto* bottom = new QWidget;
    auto* bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(0, 0, 0, 0);
    bottomRow->addWidget(dqdv_, 1);
    bottomRow->addWidget(buildChooser());

    auto* top = new QSplitter(Qt::Horizontal);
    top->addWidget(table_);
    top->addWidget(capacity_);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 2);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(bottom);
    split->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
    // Tab goes from the table over the choosers to the buttons; the graphs take no focus.
    setTabOrder(table_, cycle_);
    setTabOrder(cycle_, role_);
    setTabOrder(role_, saveTable_);
    setTabOrder(saveTable_, saveCapacity_);
    setTabOrder(saveCapacity_, saveDqdv_);
    refresh(false);
}

QWidget* CyclePageWidget::buildChooser()
{
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    cycle_ = new QComboBox;
    cycle_->setObjectName(QStringLiteral("cboCycle"));
    cycle_->setAccessibleName(tr("dQ/dV 的循环"));
    role_ = new QComboBox;
    role_->setObjectName(QStringLiteral("cboRole"));
    role_->setAccessibleName(tr("dQ/dV 的充电或放电"));
    role_->addItems({tr("充电"), tr("放电")});
    form->addRow(tr("循环号(&N)"), cycle_);
    form->addRow(tr("充放电(&D)"), role_);
    column->addLayout(form);
    saveTable_ = button(tr("保存循环表"), "cmdSaveCycles");
    saveCapacity_ = button(tr("保存容量曲线"), "cmdSaveCapacity");
    saveDqdv_ = button(tr("保存dQ/dV曲线"), "cmdSaveDqDv");
    for (QPushButton* b : {saveTable_, saveCapacity_, saveDqdv_})
        column->addWidget(b);
    column->addStretch(1);
    panel->setFixedWidth(190);
    connect(cycle_, &QComboBox::activated, this, &CyclePageWidget::drawChosen);
    connect(role_, &QComboBox::activated, this, &CyclePageWidget::drawChosen);
    connect(saveTable_, &QPushButton::clicked, this, &CyclePageWidget::saveTableAsked);
    connect(saveCapacity_, &QPushButton::clicked, this, [this] { Q_EMIT savePictureAsked(capacity_); });
    connect(saveDqdv_, &QPushButton::clicked, this, [this] { Q_EMIT savePictureAsked(dqdv_); });
    return panel;
}

void CyclePageWidget::refresh(bool canSave)
{
    table_->gridModel().refresh();
    cycle_->clear();
    for (int n : page_.cycles())
        cycle_->addItem(QString::number(n), n);
    cycle_->setCurrentIndex(cycle_->findData(page_.dqdvCycle()));
    role_->setCurrentIndex(page_.dqdvRole() == StepRole::Charge ? kChargeIndex : 1);
    saveTable_->setEnabled(canSave);
    capacity_->update();
    dqdv_->update();
}

void CyclePageWidget::drawChosen()
{
    if (cycle_->currentIndex() < 0)
        return;
    page_.chooseDqDv(cycle_->currentData().toInt(),
                     role_->currentIndex() == kChargeIndex ? StepRole::Charge : StepRole::Discharge);
    dqdv_->update();
}

}  // namespace klv
