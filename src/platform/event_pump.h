#pragma once

namespace klv {

// "Process pending window events" from inside a serial wait. Each call lets
// other handlers run and lets time pass a little; it never starts a transaction.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void pump() = 0;
};

}  // namespace klv
