#pragma once

#include <cstdint>

namespace klv {

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// A millisecond counter that wraps at 2^32, and the local calendar time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t milliseconds() = 0;
    virtual LocalDateTime now() = 0;
};

class SystemClock : public Clock {
public:
    std::uint32_t milliseconds() override;
    LocalDateTime now() override;
};

// Time that moves only when told to; the calendar moves with it.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(std::uint32_t startMs = 0, LocalDateTime start = {2024, 3, 12, 9, 30, 5});
    std::uint32_t milliseconds() override { return ms_; }
    LocalDateTime now() override;
    void advance(std::uint32_t ms);
    void setMilliseconds(std::uint32_t ms) { ms_ = ms; }

private:
    std::uint32_t ms_;
    LocalDateTime start_;
    std::uint64_t elapsedMs_ = 0;
};

}  // namespace klv
