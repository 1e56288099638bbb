#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace klv {

namespace {
LocalDateTime fromTm(const std::tm& t)
{
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}
}  // namespace

std::uint32_t SystemClock::milliseconds()
{
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<std::uint32_t>(ms);
}

LocalDateTime SystemClock::now()
{
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return fromTm(local);
}

VirtualClock::VirtualClock(std::uint32_t startMs, LocalDateTime start) : ms_(startMs), start_(start) {}

void VirtualClock::advance(std::uint32_t ms)
{
    ms_ += ms;  // wraps at 2^32 like the system's millisecond counter
    elapsedMs_ += ms;
}

LocalDateTime VirtualClock::now()
{
    std::tm t{};
    t.tm_year = start_.year - 1900;
    t.tm_mon = start_.month - 1;
    t.tm_mday = start_.day;
    t.tm_hour = start_.hour;
    t.tm_min = start_.minute;
    t.tm_sec = start_.second + static_cast<int>(elapsedMs_ / 1000);
    t.tm_isdst = -1;
    timegm(&t);  // normalises the fields without a time-zone shift
    return fromTm(t);
}

}  // namespace klv
