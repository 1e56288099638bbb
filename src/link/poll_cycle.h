#pragma once

#include "link/conversation.h"

namespace klv {

struct Station;

struct PollTickReport {
    bool timerOff = false;   // disconnected: the port is closed and the timer must stop
    bool skipped = false;    // a tick was still waiting for an answer
    int answersDecoded = 0;  // complete answers this tick
};

// One tick of the polling timer: a channel frame to each registered device in turn. Each
// frame is built just before it goes out, so a command queued meanwhile goes in it.
class PollCycle final : public Conversation {
public:
    explicit PollCycle(Station& station) : station_(station) {}
    ~PollCycle() override;
    PollCycle(const PollCycle&) = delete;
    PollCycle& operator=(const PollCycle&) = delete;

    std::optional<LinkRequest> next() override;
    void take(const LinkReply& reply) override;
    const PollTickReport& report() const { return report_; }

private:
    enum class Stage { Start, Closing, Devices, Done };
    void fail(const char* what);
    void finish(bool toggle);

    Station& station_;
    Stage stage_ = Stage::Start;
    int device_ = -1;         // the device asked last
    bool holdsBusy_ = false;  // this tick set the busy flag that keeps a second one out
    PollTickReport report_;
};

// A whole tick carried out on the station's own port.
PollTickReport pollTick(Station& station);

}  // namespace klv
