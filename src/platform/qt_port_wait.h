#pragma once

#include "platform/port_wait.h"

namespace klv {

class QtSerialPort;

// The link thread's wait: sleeps until input comes or a millisecond passes, so a wait that
// lasts for days never spins a core.
class QtPortWait : public PortWait {
public:
    explicit QtPortWait(QtSerialPort& port) : port_(port) {}
    void step() override;

private:
    QtSerialPort& port_;
};

}  // namespace klv
