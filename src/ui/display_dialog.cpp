#include "ui/display_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "platform/file_chooser.h"
#include "platform/ini_file.h"
#include "station.h"
#include "ui/qt_colour.h"
#include "ui/qt_dialog_support.h"

namespace klv {

namespace {

QString swatchStyle(int bgr)
{
    const QColor c = toQColor(bgr);
    return QStringLiteral(
               "QPushButton { background-color: %1; border: 1px solid #808080; }"
               "QPushButton:focus { border: 2px solid palette(highlight); }")
        .arg(c.name());
}

QComboBox* chooser(const char* name, const QStringList& entries)
{
    auto* box = new QComboBox;
    nameControl(box, name, false);
    box->addItems(entries);
    return box;
}

QGroupBox* group(const QString& title, QLayout* content)
{
    auto* box = new QGroupBox(title);
    box->setLayout(content);
    return box;
}

}  // namespace

DisplayDialog::DisplayDialog(Station& station, QWidget* parent) : QDialog(parent), station_(station)
{
    setObjectName(QStringLiteral("frmShow"));
    setWindowTitle(tr("显示设置"));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* colours = new QFormLayout;
    colours->addRow(tr("网格："), swatch("lblGridColor", &DisplaySettings::gridColor));
    colours->addRow(tr("背景："), swatch("lblBackColor", &DisplaySettings::backColor));
    colours->addRow(tr("坐标："), swatch("lblAxesColor", &DisplaySettings::axesColor));
    colours->addRow(tr("电压："), swatch("lblVolColor", &DisplaySettings::volColor));
    colours->addRow(tr("电流："), swatch("lblCurColor", &DisplaySettings::curColor));

    cmbDot_ = chooser("cmbDot", {tr("实线"), tr("虚线")});
    cmbDot2_ = chooser("cmbDot2", {tr("实线"), tr("虚线")});
    cmbLine_ = chooser("cmbLine", {"1", "2"});
    auto* lines = new QFormLayout;
    lines->addRow(tr("主轴："), cmbDot_);
    lines->addRow(tr("副轴："), cmbDot2_);
    lines->addRow(tr("线宽："), cmbLine_);

    chkLabel_ = new QCheckBox(tr("曲线标识"));
    nameControl(chkLabel_, "chkLabel", false);
    auto* right = new QVBoxLayout;
    right->addWidget(chkLabel_);

    auto* rightColumn = new QVBoxLayout;
    rightColumn->addWidget(group(tr("曲线线条"), lines));
    rightColumn->addWidget(group(tr("曲线右侧显示"), right));
    auto* groups = new QHBoxLayout;
    groups->addWidget(group(tr("曲线颜色"), colours));
    groups->addLayout(rightColumn);

    auto* cmdOK = namedButton("cmdOK", tr("确定"), true);
    auto* cmdCancel = namedButton("cmdCancel", tr("取消"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttonRow({cmdOK, cmdCancel}));

    connect(cmdOK, &QPushButton::clicked, this, &DisplayDialog::apply);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* DisplayDialog::swatch(const char* name, int DisplaySettings::*colour)
{
    auto* b = namedButton(name, "");
    b->setFixedSize(64, 20);
    swatches_.emplace_back(b, colour);
    connect(b, &QPushButton::clicked, this, [this, b, colour] {
        const int chosen = chooseColour();
        if (chosen < 0)
            return;
        choices_.*colour = chosen;
        b->setStyleSheet(swatchStyle(chosen));
    });
    return b;
}

void DisplayDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        choices_ = currentDisplaySettings(station_.ui);
        showChoices();
        centreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void DisplayDialog::showChoices()
{
    for (const auto& [b, colour] : swatches_)
        b->setStyleSheet(swatchStyle(choices_.*colour));
    cmbDot_->setCurrentIndex(choices_.dashedMain ? 1 : 0);
    cmbDot2_->setCurrentIndex(choices_.dashedSecondary ? 1 : 0);
    cmbLine_->setCurrentIndex(choices_.line == 1 ? 0 : 1);
    chkLabel_->setChecked(choices_.showLegend);
}

void DisplayDialog::apply()
{
    choices_.dashedMain = cmbDot_->currentIndex() != 0;
    choices_.dashedSecondary = cmbDot2_->currentIndex() != 0;
    choices_.line = cmbLine_->currentText().toInt();
    choices_.showLegend = chkLabel_->isChecked();
    applyDisplaySettings(station_.ui, choices_);
    writeDisplaySettings(IniFile(station_.home + "/klv.ini"), choices_);
    Q_EMIT displayChanged();
    accept();
}

}  // namespace klv
