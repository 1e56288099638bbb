#pragma once

#include <memory>

#include "link/conversation.h"
#include "link/port_recovery.h"

namespace klv {

struct Station;

struct PollTickReport {
    bool timerOff = false;   // disconnected: the port is closed and the timer must stop
    bool skipped = false;    // a tick was still waiting for an answer
    int answersDecoded = 0;  // complete answers this tick
};

// One tick of the polling timer: a channel frame to each registered device in turn. Each
// frame is built just before it goes out, so a command queued meanwhile goes in it. While the
// port is lost the tick only opens it again, every two seconds, and asks the units who they are.
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
    enum class Stage { Start, Closing, Recovering, Devices, Done };
    void fail(const char* what);
    void finish(bool toggle);

    Station& station_;
    Stage stage_ = Stage::Start;
    std::unique_ptr<PortRecovery> recovery_;  // while a lost port or a missing unit is sought
    int device_ = -1;                         // the device asked last
    bool holdsBusy_ = false;                  // this tick set the busy flag that keeps a second one out
    PollTickReport report_;
};

// A whole tick carried out on the station's own port.
PollTickReport pollTick(Station& station);

}  // namespace klv
