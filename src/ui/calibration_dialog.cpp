#include "ui/calibration_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/number_text.h"
#include "platform/message_box.h"
#include "station.h"
#include "ui/qt_dialog_support.h"

namespace klv {

CalibrationDialog::CalibrationDialog(Station& station, QWidget* parent) : QDialog(parent), station_(station)
{
    setObjectName(QStringLiteral("frmAdj"));
    setWindowTitle(tr("参数校准"));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    struct Row {
        CalPoint point;
        const char *field, *button, *caption, *unit;
    };
    // Alt with a letter of its point presses a button: L, V, C and H, one each.
    const Row rows[] = {{CalPoint::VL, "txtVL", "cmdVL", QT_TR_NOOP("校准V&L"), "V"},
                        {CalPoint::VH, "txtVH", "cmdVH", QT_TR_NOOP("校准&VH"), "V"},
                        {CalPoint::CL, "txtCL", "cmdCL", QT_TR_NOOP("校准&CL"), "A"},
                        {CalPoint::CH, "txtCH", "cmdCH", QT_TR_NOOP("校准C&H"), "A"}};
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < points_.size(); ++i) {
        const Row& r = rows[i];
        auto* edit = new QLineEdit(QStringLiteral("0.000"));
        nameControl(edit, r.field, false);
        edit->setAlignment(Qt::AlignRight);
        auto* b = namedButton(r.button, tr(r.caption));
        edit->setAccessibleName(b->text().remove(QLatin1Char('&')));  // the field has no label of its own
        points_[i] = {r.point, edit, b};
        grid->addWidget(edit, static_cast<int>(i), 0);
        grid->addWidget(new QLabel(QString::fromUtf8(r.unit)), static_cast<int>(i), 1);
        grid->addWidget(b, static_cast<int>(i), 2);
    }
    cmdOK_ = namedButton("cmdOK", tr("确定"));
    auto* cmdCancel = namedButton("cmdCancel", tr("返回"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttonRow({cmdOK_, cmdCancel}));

    for (const Point& p : points_) {
        onFieldLeft(p.field, [this, p] { leaveField(p); });
        connect(p.button, &QPushButton::clicked, this, [this, p] { pressPoint(p); });
    }
    connect(cmdOK_, &QPushButton::clicked, this, &CalibrationDialog::commit);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CalibrationDialog::openForSelection()
{
    const int d = station_.ui.currentDevice, n = station_.ui.selectedChannel;
    const bool exists = d >= 0 && d < kMaxDevices && n >= 0 && n < kChannelsPerDevice && station_.ui.panels[d].Conn[n];
    if (!exists || open_)
        return false;
    show();
    return true;
}

void CalibrationDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        cmdOK_->setEnabled(false);
        centreOnScreen(this);
        refreshForTarget();
        if (!open_) {
            open_ = true;
            Q_EMIT openChanged(true);
        }
    }
    QDialog::showEvent(event);
}

void CalibrationDialog::hideEvent(QHideEvent* event)
{
    // Minimising is no close; "返回", Esc and the close box are.
    if (!event->spontaneous() && open_) {
        open_ = false;
        Q_EMIT openChanged(false);
    }
    QDialog::hideEvent(event);
}

void CalibrationDialog::changeEvent(QEvent* event)
{
    // The operator may have chosen another tile meanwhile: caption and formats follow it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refreshForTarget();
    QDialog::changeEvent(event);
}

int CalibrationDialog::targetSlot() const
{
    const int d = station_.ui.currentDevice, n = station_.ui.selectedChannel;
    return d >= 0 && d < kMaxDevices && n >= 0 && n < kChannelsPerDevice ? slotOf(d, n) : -1;
}

const DeviceEntry& CalibrationDialog::targetDevice() const
{
    static const DeviceEntry none;
    const int slot = targetSlot();
    return slot < 0 ? none : station_.link.devices[slot / kChannelsPerDevice];
}

void CalibrationDialog::refreshForTarget()
{
    const int slot = targetSlot();
    if (slot < 0)
        return;
    setWindowTitle(tr("基准校准--设备%1 通道%2").arg(slot / kChannelsPerDevice + 1).arg(slot % kChannelsPerDevice + 1));
    for (const Point& p : points_) {
        const auto value = parseCellNumber(ss(p.field->text()));
        if (value && (p.point == CalPoint::CL || p.point == CalPoint::CH))
            p.field->setText(qs(formatNumber(*value, calibrationFormat(p.point, targetDevice()))));
    }
}

void CalibrationDialog::leaveField(const Point& p)
{
    if (!isVisible())
        return;
    const CalCheck check = checkCalibrationField(p.point, ss(p.field->text()), targetDevice());
    if (!check.ok()) {
        showMessage(check.message, MsgIcon::Error);
        p.field->setFocus(Qt::OtherFocusReason);
        return;
    }
    p.field->setText(qs(check.text));
}

void CalibrationDialog::pressPoint(const Point& p)
{
    const int slot = targetSlot();
    if (slot < 0)
        return;
    const CalCheck check =
        checkCalibrationPoint(p.point, ss(p.field->text()), targetDevice(), station_.link.slots[slot]);
    if (!check.ok()) {
        showMessage(check.message, MsgIcon::Error);
        return;
    }
    queueCalibration(station_, slot, static_cast<int>(p.point), check.value);
    cmdOK_->setEnabled(true);
}

void CalibrationDialog::commit()
{
    const int slot = targetSlot();
    if (slot < 0)
        return;
    queueCalibration(station_, slot, kCalCommitItem, 0);
    cmdOK_->setEnabled(false);
}

}  // namespace klv
