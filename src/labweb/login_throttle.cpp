#include "labweb/login_throttle.h"

namespace klv {

void LoginThrottle::forgetOld(std::deque<Clock::time_point>& times, Clock::time_point now) const
{
    while (!times.empty() && now - times.front() >= kWindow)
        times.pop_front();
}

int LoginThrottle::waitSeconds(const std::string& client)
{
    const std::lock_guard lock(mutex_);
    const auto it = failures_.find(client);
    if (it == failures_.end())
        return 0;
    const auto now = Clock::now();
    forgetOld(it->second, now);
    if (it->second.empty()) {
        failures_.erase(it);
        return 0;
    }
    if (it->second.size() < kAttempts)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::seconds>(it->second.front() + kWindow - now).count();
    return static_cast<int>(std::max<long long>(left, 1));
}

void LoginThrottle::failed(const std::string& client)
{
    const std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    auto& times = failures_[client];
    forgetOld(times, now);
    times.push_back(now);
    // Old clients are dropped as they come back; a flood of addresses is bounded by the window.
    for (auto it = failures_.begin(); failures_.size() > 4096 && it != failures_.end();)
        it = it->second.size() < kAttempts ? failures_.erase(it) : std::next(it);
}

}  // namespace klv
