#pragma once

#include <QSerialPort>
#include <functional>
#include <string>

#include "platform/serial_port.h"

namespace klv {

// The station's serial line over QSerialPort. Port numbers are turned into
// device paths by the resolver (configured mapping or the system's ports).
class QtSerialPort : public SerialPort {
public:
    using Resolver = std::function<std::string(int portNumber)>;
    explicit QtSerialPort(Resolver resolver);

    bool open(int portNumber) override;
    void close() override;
    bool isOpen() const override;
    int bytesWaiting() override;
    void discardInput() override;
    Bytes readAll() override;
    void write(const Bytes& bytes) override;
    std::string failure() const override { return failure_; }
    bool lost() const override { return lost_; }

    // Block up to ms for input; the link thread waits here instead of spinning.
    void waitForInput(int ms);

private:
    void lose(const QString& why);

    Resolver resolver_;
    QSerialPort port_;
    std::string failure_;
    bool lost_ = false;
};

// Every serial port the system lists, by device path.
std::vector<std::string> systemSerialPorts();

}  // namespace klv
