#include "ui/about_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/brand.h"
#include "ui/qt_dialog_support.h"
#include "version.h"

namespace klv {

namespace {

QLabel* label(const char* name, const QString& text)
{
    auto* l = new QLabel(text);
    nameControl(l, name, false);
    return l;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("关于"));
    setModal(false);

    auto* title = label("lblTitle", QCoreApplication::translate("Brand", kAppTitle));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    title->setFont(big);
    auto* version =
        label("lblVersion", tr("版本: V%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    auto* build = label("lblBuild", QString::fromUtf8(kBuildDescription));
    const QString web = QString::fromUtf8(kWebAddress);
    auto* link = label("lblWeb", QStringLiteral("<a href=\"http://%1\">%1</a>").arg(web));
    link->setAccessibleName(web);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setOpenExternalLinks(true);

    auto* cmdOK = namedButton("cmdOK", tr("确定"), true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(build);
    layout->addWidget(link);
    layout->addSpacing(8);
    layout->addLayout(buttonRow({cmdOK}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        centreOnScreen(this);
    QDialog::showEvent(event);
}

}  // namespace klv
