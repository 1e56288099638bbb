#include "ui/capacity_query_widget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include "station.h"
#include "ui/shown_word.h"

namespace klv {

CapacityQueryWidget::CapacityQueryWidget(const Station& station, QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    firstDevice_ = box("cboDevFrom", tr("起始设备"), grid, 0);
    lastDevice_ = box("cboDevTo", tr("终止设备"), grid, 1);
    firstCycle_ = box("cboCycFrom", tr("起始循环"), grid, 2);
    lastCycle_ = box("cboCycTo", tr("终止循环"), grid, 3);
    type_ = box("cboType", tr("类型"), grid, 4);
    for (int d : presentDevices(station)) {
        const QString text = QString::number(station.link.devices[d].busAddress + 1);
        firstDevice_->addItem(text, d);
        lastDevice_->addItem(text, d);
    }
    for (CapacityType t : {CapacityType::Discharge, CapacityType::Charge, CapacityType::All})
        type_->addItem(shownWord(capacityTypeText(t)), static_cast<int>(t));
    connect(firstDevice_, &QComboBox::activated, this, &CapacityQueryWidget::deviceChosen);
    connect(lastDevice_, &QComboBox::activated, this, &CapacityQueryWidget::deviceChosen);
}

QComboBox* CapacityQueryWidget::box(const char* name, const QString& label, QGridLayout* grid, int column)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->setMinimumWidth(72);
    auto* caption = new QLabel(label);
    caption->setBuddy(combo);
    grid->addWidget(caption, 0, column);
    grid->addWidget(combo, 1, column);
    return combo;
}

void CapacityQueryWidget::deviceChosen()
{
    if (firstDevice_->currentIndex() >= 0 && lastDevice_->currentIndex() >= 0)
        Q_EMIT deviceRangeChosen(firstDevice_->currentData().toInt(), lastDevice_->currentData().toInt());
}

void CapacityQueryWidget::offerCycles(const CycleRange& range)
{
    for (QComboBox* b : {firstCycle_, lastCycle_}) {
        b->clear();
        for (int c = range.first; c <= range.last; ++c)
            b->addItem(QString::number(c), c);
        b->setCurrentIndex(0);
    }
}

CapacityQuery CapacityQueryWidget::query() const
{
    CapacityQuery q;
    // No device in a box gives an empty range.
    q.firstDevice = firstDevice_->currentIndex() >= 0 ? firstDevice_->currentData().toInt() : 1;
    q.lastDevice = lastDevice_->currentIndex() >= 0 ? lastDevice_->currentData().toInt() : 0;
    q.firstCycle = firstCycle_->currentData().toInt();
    q.lastCycle = lastCycle_->currentData().toInt();
    q.type = static_cast<CapacityType>(type_->currentData().toInt());
    return q;
}

}  // namespace klv
