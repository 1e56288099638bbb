#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "lab/lab_rows.h"

namespace klv {

// The last read of every station and channel, with a version per channel row so that a page
// fetches only what changed since its last look. Written by the poller thread, read by the
// HTTP threads; the mutex guards everything below and is never held across a query.
class LiveState {
public:
    using Clock = std::chrono::steady_clock;

    void update(std::vector<lab::StationRow> stations, const std::vector<lab::ChannelRow>& channels,
                Clock::time_point readAt = Clock::now());
    void failed(std::string reason);
    // Why the last read failed; empty after a good one.
    std::string failure() const;

    // {"version":N,"stations":[…],"channels":[rows changed after `since`]}: the last good read.
    // A `since` from before a restart of this server (above the current version) gets all rows.
    std::string json(long long since, Clock::time_point now = Clock::now()) const;

private:
    struct Entry {
        lab::ChannelRow row;
        long long version = 0;
    };
    using Key = std::tuple<std::string, int, int>;

    mutable std::mutex mutex_;
    long long version_ = 0;
    std::vector<lab::StationRow> stations_;
    Clock::time_point readAt_{};
    std::string failure_;
    std::map<Key, Entry> channels_;
};

}  // namespace klv
