#include "ui/screening_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/number_text.h"
#include "data/capacity_screen.h"
#include "platform/message_box.h"
#include "station.h"
#include "ui/capacity_query_widget.h"
#include "ui/qt_window_place.h"

namespace klv {

ScreeningDialog::ScreeningDialog(Station& station, QWidget* parent) : QDialog(parent), station_(station)
{
    setObjectName(QStringLiteral("frmScreen"));
    setWindowTitle(tr("容量刷选"));
    setModal(false);
    query_ = new CapacityQueryWidget(station, this);
    minimum_ = boundBox("txtMin", kMinimumBound);
    maximum_ = boundBox("txtMax", kMaximumBound);

    auto* bounds = new QGridLayout;
    auto* minimumLabel = new QLabel(tr("最小容量(Ah)"));
    minimumLabel->setBuddy(minimum_);
    auto* maximumLabel = new QLabel(tr("最大容量(Ah)"));
    maximumLabel->setBuddy(maximum_);
    bounds->addWidget(minimumLabel, 0, 0);
    bounds->addWidget(minimum_, 0, 1);
    bounds->addWidget(maximumLabel, 1, 0);
    bounds->addWidget(maximum_, 1, 1);

    auto* ok = new QPushButton(tr("确定"));
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* clear = new QPushButton(tr("清除"));
    clear->setObjectName(QStringLiteral("cmdClear"));
    connect(ok, &QPushButton::clicked, this, &ScreeningDialog::screen);
    connect(clear, &QPushButton::clicked, this, &ScreeningDialog::clearColours);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(clear);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(query_);
    layout->addLayout(bounds);
    layout->addLayout(buttons);

    query_->firstDevice().setCurrentIndex(query_->firstDevice().count() > 0 ? 0 : -1);
    query_->lastDevice().setCurrentIndex(query_->lastDevice().count() > 0 ? 0 : -1);
    query_->offerCycles(offeredCycles(station_, 0, kMaxDevices - 1));
}

QLineEdit* ScreeningDialog::boundBox(const char* name, const char* fallback)
{
    auto* box = new QLineEdit(QString::fromLatin1(fallback));
    box->setObjectName(QString::fromLatin1(name));
    connect(box, &QLineEdit::editingFinished, this, [this, box, fallback] { checkBound(box, fallback); });
    return box;
}

void ScreeningDialog::checkBound(QLineEdit* box, const char* fallback)
{
    const auto text = boundText(box->text().toStdString());
    if (text) {
        box->setText(QString::fromStdString(*text));
        return;
    }
    // Restored before the message, so the box's next editing-finished sees a good value.
    box->setText(QString::fromLatin1(fallback));
    showMessage(kBadBoundMessage, MsgIcon::Error);
}

void ScreeningDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

void ScreeningDialog::screen()
{
    if (screening_)
        return;
    screening_ = true;
    const auto bound = [](const QLineEdit* box) {
        return toSingle(parseCellNumber(box->text().toStdString()).value_or(0.0));
    };
    worker_.start(
        this,
        [snapshot = snapshotChannels(station_, query_->query()), minimum = bound(minimum_),
         maximum = bound(maximum_)](std::stop_token stop) { return screenChannels(snapshot, minimum, maximum, stop); },
        [this](const std::vector<ScreenedTile>& tiles) {
            applyScreening(station_, tiles);
            screening_ = false;
            Q_EMIT tilesRecoloured();
            close();
        });
}

void ScreeningDialog::clearColours()
{
    clearScreening(station_);
    Q_EMIT tilesRecoloured();
}

}  // namespace klv
