#include "ui/port_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/port_map.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"
#include "station.h"

namespace klv {

namespace {

QComboBox* numberList(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (int i = 1; i <= kMaxDevices; ++i)
        box->addItem(QString::number(i));
    return box;
}

}  // namespace

PortDialog::PortDialog(Station& station, SerialPort& searchPort, QWidget* parent)
        : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), station_(station), searchPort_(searchPort)
{
    setObjectName(QStringLiteral("frmCom"));
    setWindowTitle(tr("连接设备"));
    comPort_ = new QComboBox(this);
    comPort_->setObjectName(QStringLiteral("comPort"));
    comPort_->setMinimumWidth(140);
    cmbStart_ = numberList(QStringLiteral("cmbStart"), this);
    cmbStop_ = numberList(QStringLiteral("cmbStop"), this);

    auto* form = new QFormLayout;
    form->addRow(tr("串口："), comPort_);
    form->addRow(tr("起始设备："), cmbStart_);
    form->addRow(tr("结束设备："), cmbStop_);

    auto* comSearch = new QPushButton(tr("搜索串口"), this);
    comSearch->setObjectName(QStringLiteral("comSearch"));
    auto* cmdConn = new QPushButton(tr("连接设备"), this);
    cmdConn->setObjectName(QStringLiteral("cmdConn"));
    cmdConn->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(comSearch);
    buttons->addStretch();
    buttons->addWidget(cmdConn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(comSearch, &QPushButton::clicked, this, [this] {
        searchPorts();
        showMessage(QT_TRANSLATE_NOOP("Message", "串口搜索完成"), MsgIcon::Information);
    });
    connect(cmdConn, &QPushButton::clicked, this, [this] {
        const int port = comPort_->currentText().mid(3).toInt();
        if (port > 0)
            Q_EMIT chosen(port, cmbStart_->currentText().toInt(), cmbStop_->currentText().toInt());
        close();
    });
}

void PortDialog::searchPorts()
{
    comPort_->clear();
    for (int n : klv::searchPorts(searchPort_))
        comPort_->addItem(QStringLiteral("COM%1").arg(n));
}

void PortDialog::prepare()
{
    searchPorts();
    const std::string last = IniFile(station_.home + "/klv.ini").read("COMM", "PORT1", "1");
    const int found = comPort_->findText(QStringLiteral("COM") + QString::fromStdString(last));
    if (found >= 0)
        comPort_->setCurrentIndex(found);
    cmbStart_->setCurrentIndex(0);
    cmbStop_->setCurrentIndex(kMaxDevices - 1);
}

}  // namespace klv
