#pragma once

#include <functional>

#include "platform/clock.h"
#include "platform/event_pump.h"

namespace klv {

// The test pump: each call lets one virtual millisecond pass, then runs the
// handler a test placed there (a run tick or a dialog arriving mid-wait).
class VirtualEventPump : public EventPump {
public:
    explicit VirtualEventPump(VirtualClock& clock) : clock_(clock) {}
    void pump() override
    {
        clock_.advance(1);
        if (onPump)
            onPump();
    }
    std::function<void()> onPump;

private:
    VirtualClock& clock_;
};

}  // namespace klv
