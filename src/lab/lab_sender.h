#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lab/outbox.h"
#include "lab/pg_connection.h"
#include "lab/test_carry.h"

namespace klv::lab {

// What the station tells the database about itself.
struct StationInfo {
    std::string name, host, version;
};

// The link as the operator sees it.
struct LinkStatus {
    bool connected = false;
    std::int64_t backlog = 0;   // rows not yet committed
    std::string reason;         // why not connected; empty when connected
    std::string problem;        // rows that could not be kept or were refused; empty when none
    std::int64_t setAside = 0;  // rows the database refused as data, kept aside since the start
    std::string sendError;      // why the last segment did not go; empty once one goes
    std::int64_t dropped = 0;   // rows the outbox could not keep since the start (its reserve, the disk)
    bool dropping = false;      // the last rows were among them
    bool operator==(const LinkStatus&) const = default;
};

struct SenderTiming {
    std::chrono::milliseconds batchEvery{250};  // how long rows gather before they are written and sent
    std::chrono::milliseconds heartbeatEvery{5000};
    std::chrono::milliseconds channelsEvery{1000};
    std::chrono::milliseconds firstRetry{1000}, longestRetry{8000};
    std::chrono::seconds connectTimeout{5};
    std::chrono::milliseconds statementTimeout{10000};
};

// The worker thread that moves rows from the station to the lab database: it writes them to
// the outbox, then sends every sealed segment in one transaction each and removes it. The
// station's thread only posts rows and reads the status; the thread owns the connection and
// the outbox.
class LabSender {
public:
    LabSender(std::string uri, std::string outboxFolder, StationInfo info, SenderTiming timing = {},
              std::uint64_t outboxReserveBytes = 0);
    ~LabSender();  // stop(5 s) unless stopped before

    // Sends for at most `within`, then stops the thread: the rows posted so far are in the
    // outbox for the next start, except what it could not keep. Returns how many wait there.
    std::int64_t stop(std::chrono::milliseconds within = std::chrono::seconds(5));
    LabSender(const LabSender&) = delete;
    LabSender& operator=(const LabSender&) = delete;

    // Encoded outbox lines, in order.
    void post(std::vector<std::string> lines);
    // The latest state of the channels, rows of channel_state's columns; replaces the last.
    void postChannels(std::vector<PgParams> rows);
    LinkStatus status() const;

private:
    void run();
    void keep(const std::vector<std::string>& rows);
    void connectIfDue(std::chrono::steady_clock::time_point now);
    void sendSegments(std::chrono::steady_clock::time_point now);
    struct SegmentRows {
        std::vector<PgParams> tests, samples, results, cycles, ends;
    };
    bool sendRows(const std::vector<std::string>& lines);
    bool sendTransaction(const SegmentRows& rows, bool copySamples);
    void sendFailed(const std::string& why, std::chrono::steady_clock::time_point now);
    bool upsertStation();
    bool upsertChannels(const std::vector<PgParams>& rows);
    void lost(const std::string& why);

    const std::string uri_;
    const StationInfo info_;
    const SenderTiming timing_;

    // Owned by the worker thread.
    PgConnection db_;
    Outbox outbox_;
    TestCarry carry_;
    std::chrono::steady_clock::time_point nextTry_{}, nextHeartbeat_{}, nextChannels_{}, nextSend_{};
    std::chrono::milliseconds retry_, sendRetry_;
    std::chrono::steady_clock::time_point sendUntil_ = std::chrono::steady_clock::time_point::max();
    std::string failedState_;  // SQLSTATE of the statement that failed in sendRows

    // Shared with the station's thread, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::string> posted_;
    std::vector<PgParams> channels_;
    bool channelsNew_ = false;
    bool stopping_ = false;
    std::chrono::milliseconds stopWithin_{0};
    LinkStatus status_;

    std::thread thread_;  // last: it starts once everything above is made
};

}  // namespace klv::lab
