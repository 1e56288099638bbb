#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/step_spans.h"
#include "lab/lab_config.h"
#include "lab/lab_sender.h"
#include "link/registry.h"
#include "run/lab_feed.h"

namespace klv {
struct Station;
}

namespace klv::lab {

// The station's side of the lab link, on the thread that owns the station's tables: turns what
// the run side records into outbox rows for the sender thread, and shows the link's state.
class LabStore : public LabFeed {
public:
    LabStore(Station& station, const LabConfig& config, SenderTiming timing = {});
    ~LabStore() override;

    void testStarted(int slot, bool continued) override;
    void sampleRecorded(int slot) override;
    void stepCompleted(int slot, int row) override;
    void testEnded(int slot, bool finished) override;
    void runTicked() override;

    // The status-bar field and its tooltip, called whenever either changes.
    std::function<void(const std::string& text, const std::string& tooltip)> showStatus;
    // One line per change of the link's state, also written to the klv log.
    std::function<void(const std::string& line)> announce;

    const std::string& testId(int slot) const { return slots_.at(slot).testId; }
    LinkStatus status() const { return sender_->status(); }

private:
    struct SlotLab {
        std::string testId;
        std::vector<StepSpan> spans;  // the steps of the test that have ended
    };
    void postSample(int slot, int index, bool live);
    void postResult(int slot, int row);
    void postChannels();
    void showLink(const LinkStatus& status);
    static std::string statusText(const LinkStatus& status);
    void writeTestId(const std::string& path, const std::string& id);

    Station& station_;
    const LabConfig config_;
    IndexTable<SlotLab, kSlotTableSize> slots_{};
    LinkStatus shown_;
    std::string shownText_, shownTooltip_;
    bool firstShow_ = true;
    std::unique_ptr<LabSender> sender_;  // last: its thread stops before the rest goes
};

}  // namespace klv::lab
