#include "ui/step_chooser_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "program/step_editor.h"
#include "station.h"
#include "ui/qt_dialog_support.h"

namespace klv {

StepChooserDialog::StepChooserDialog(Station& station, QWidget* parent) : QDialog(parent), station_(station)
{
    setObjectName(QStringLiteral("frmStep"));
    setWindowTitle(tr("工步选择"));
    setModal(false);
    lstStep_ = new QListWidget;
    nameControl(lstStep_, "lstStep");
    cmdOK_ = namedButton("cmdOK", tr("确定"), true);
    auto* cmdCancel = namedButton("cmdCancel", tr("取消"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstStep_);
    layout->addLayout(buttonRow({cmdOK_, cmdCancel}));
    resize(220, 260);

    connect(cmdOK_, &QPushButton::clicked, this, &StepChooserDialog::choose);
    connect(lstStep_, &QListWidget::itemDoubleClicked, this, &StepChooserDialog::choose);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void StepChooserDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        lstStep_->clear();
        for (const std::string& entry : copySources(station_.link, station_.program))
            lstStep_->addItem(qs(entry));
        lstStep_->setCurrentRow(lstStep_->count() > 0 ? 0 : -1);
        cmdOK_->setEnabled(lstStep_->count() > 0);
        centreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void StepChooserDialog::choose()
{
    const QListWidgetItem* item = lstStep_->currentItem();
    // Whatever was chosen, the chooser closes.
    if (item)
        if (const auto slot = copySourceSlot(station_.link, ss(item->text())))
            Q_EMIT programChosen(*slot);
    accept();
}

}  // namespace klv
