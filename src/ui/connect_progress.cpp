#include "ui/connect_progress.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace klv {

ConnectProgress::ConnectProgress(QWidget* parent)
        : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmConn"));
    setWindowTitle(tr("连接设备"));
    lblMsg_ = new QLabel(this);
    lblMsg_->setObjectName(QStringLiteral("lblMsg"));
    lblMsg_->setMinimumWidth(220);
    lblMsg_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(lblMsg_);
}

void ConnectProgress::say(const std::string& text)
{
    lblMsg_->setText(QString::fromStdString(text));
    if (!isVisible()) {
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        show();
    }
}

}  // namespace klv
