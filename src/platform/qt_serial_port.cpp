#include "platform/qt_serial_port.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include "platform/port_access.h"

namespace klv {

namespace {
bool isPseudoTerminal(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).canonicalFilePath().startsWith(QStringLiteral("/dev/pts/"));
}
}  // namespace

QtSerialPort::QtSerialPort(Resolver resolver) : resolver_(std::move(resolver))
{
    QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError || error == QSerialPort::WriteError)
            lose(port_.errorString());
    });
}

// Closed at once, so that no wait spins on a descriptor that will never be ready again: a
// hung-up line (a pulled adapter) reports itself as ready and fails every read.
void QtSerialPort::lose(const QString& why)
{
    if (!port_.isOpen())
        return;
    failure_ = port_.portName().toStdString() + ": " + why.toStdString();
    lost_ = true;
    port_.close();
}

bool QtSerialPort::open(int portNumber)
{
    if (port_.isOpen())
        port_.close();
    std::string path = resolver_(portNumber);
    failure_.clear();
    lost_ = false;
    if (path.empty()) {
        failure_ = "COM" + std::to_string(portNumber) + " names no serial port of this system";
        return false;
    }
    port_.setPortName(QString::fromStdString(path));
    if (!port_.open(QIODevice::ReadWrite)) {
        failure_ = portAccessProblem(path);
        if (failure_.empty())
            failure_ = path + ": " + port_.errorString().toStdString();
        return false;
    }
    // "9600 , e, 8, 1". A pseudo-terminal (the simulated bench) has no parity to set.
    bool parity = port_.setParity(QSerialPort::EvenParity) || isPseudoTerminal(path);
    bool configured = parity && port_.setBaudRate(QSerialPort::Baud9600) && port_.setDataBits(QSerialPort::Data8) &&
                      port_.setStopBits(QSerialPort::OneStop) && port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        port_.close();
        return false;
    }
    return true;
}

void QtSerialPort::close()
{
    lost_ = false;
    if (port_.isOpen())
        port_.close();
}

bool QtSerialPort::isOpen() const { return port_.isOpen(); }

int QtSerialPort::bytesWaiting()
{
    if (!port_.isOpen())
        return 0;
    port_.waitForReadyRead(0);  // take in whatever the driver holds, without blocking
    return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

void QtSerialPort::discardInput()
{
    if (!port_.isOpen())
        return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

Bytes QtSerialPort::readAll()
{
    if (!port_.isOpen())
        return {};
    QByteArray data = port_.readAll();
    return Bytes(data.begin(), data.end());
}

void QtSerialPort::write(const Bytes& bytes)
{
    if (!port_.isOpen())
        return;
    port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    port_.flush();
}

void QtSerialPort::waitForInput(int ms)
{
    if (port_.isOpen())
        port_.waitForReadyRead(ms);
}

std::vector<std::string> systemSerialPorts()
{
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back(info.systemLocation().toStdString());
    return ports;
}

}  // namespace klv
