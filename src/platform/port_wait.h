#pragma once

namespace klv {

// One step of a serial wait: lets a little time pass while an answer is due. On the link
// thread it blocks until input comes or a millisecond passes; it never runs window events.
class PortWait {
public:
    virtual ~PortWait() = default;
    virtual void step() = 0;
};

}  // namespace klv
