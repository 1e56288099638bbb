#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace klv {

namespace lab {
class LabReader;
}
class LiveState;

// Reads every station and channel row twice a second into the live state, on a thread of its
// own which it owns and joins; a failed read is noted there, logged on stderr when its reason
// changes, and tried again next time.
class LivePoller {
public:
    static constexpr std::chrono::milliseconds kInterval{500};

    LivePoller(lab::LabReader& reader, LiveState& live);
    ~LivePoller();
    LivePoller(const LivePoller&) = delete;
    LivePoller& operator=(const LivePoller&) = delete;

private:
    void run();

    lab::LabReader& reader_;
    LiveState& live_;
    std::mutex mutex_;  // guards stop_ only
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace klv
