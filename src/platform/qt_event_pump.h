#pragma once

#include "platform/event_pump.h"

namespace klv {

class QtSerialPort;

// Lets pending window events run, then sleeps until input comes or a
// millisecond passes, so a wait that lasts for days never spins a core.
class QtEventPump : public EventPump {
public:
    explicit QtEventPump(QtSerialPort& port) : port_(port) {}
    void pump() override;

private:
    QtSerialPort& port_;
};

}  // namespace klv
