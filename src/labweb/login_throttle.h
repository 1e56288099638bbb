#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <iterator>
#include <map>
#include <mutex>
#include <string>

namespace klv {

// Counts failed token attempts by client address: after five within a minute the client is
// refused until the oldest of them is a minute old, so guessing the token takes years.
// Called from every pool thread; the counts are under the mutex.
class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kAttempts = 5;
    static constexpr std::chrono::seconds kWindow{60};

    // Seconds the client must wait before its next attempt, 0 when it may try now.
    int waitSeconds(const std::string& client);
    void failed(const std::string& client);

private:
    void forgetOld(std::deque<Clock::time_point>& times, Clock::time_point now) const;

    std::mutex mutex_;
    std::map<std::string, std::deque<Clock::time_point>> failures_;
};

}  // namespace klv
