#pragma once

#include <functional>

#include "platform/clock.h"
#include "platform/port_wait.h"

namespace klv {

// The test wait: each step lets one virtual millisecond pass, then runs the handler a test
// placed there (what the window thread does while the link waits: a run tick, a new command).
class VirtualPortWait : public PortWait {
public:
    explicit VirtualPortWait(VirtualClock& clock) : clock_(clock) {}
    void step() override
    {
        clock_.advance(1);
        if (onStep)
            onStep();
    }
    std::function<void()> onStep;

private:
    VirtualClock& clock_;
};

}  // namespace klv
