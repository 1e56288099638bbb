#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/cycle_table.h"
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
    std::int64_t waitingRows() const override { return sender_->status().backlog; }

    // Sends for at most five seconds more and stops; the rows still waiting in the outbox.
    std::int64_t stop() { return sender_->stop(); }

    // The status-bar field and its tooltip, called whenever either changes.
    std::function<void(const std::string& text, const std::string& tooltip)> showStatus;
    // One line per change of the link's state, also written to the klv log.
    std::function<void(const std::string& line)> announce;

    const std::string& testId(int slot) const { return slots_.at(slot).testId; }
    LinkStatus status() const { return sender_->status(); }

private:
    // What the channel showed when a sample was recorded: time, capacity and energy.
    struct Live {
        PgParam unixTime, capacity, energy;
    };
    struct WaitingSample {
        int index;
        Live live;
    };
    struct SlotLab {
        std::string testId;
        std::string startedAt;
        std::optional<PgParams> end;  // the test's end row, once it ended
        std::vector<StepSpan> spans;  // the steps of the test that have ended
        // Recorded, but not yet synced in the backups: they go to the outbox after the sync.
        std::vector<WaitingSample> waitingSamples;
        std::vector<int> waitingResults;
        std::vector<std::string> waitingCycles;  // outbox lines
        std::vector<CycleRow> cycles;            // the cycle rows as last computed
    };
    void postWaiting(int slot);
    void postTestRow(int slot);
    void postBackups(int slot);
    void postRecorded(int slot);
    void replayDropped(const LinkStatus& status);
    void postSample(int slot, int index, const Live& live);
    void postResult(int slot, int row);
    std::vector<std::string> changedCycles(int slot);
    void postChannels();
    void showLink(const LinkStatus& status);
    static std::string statusText(const LinkStatus& status);
    void writeTestId(const std::string& path, const std::string& id);

    Station& station_;
    const LabConfig config_;
    IndexTable<SlotLab, kSlotTableSize> slots_{};
    LinkStatus shown_;
    std::int64_t replayedDrops_ = 0;  // rows the outbox dropped that a replay has covered
    std::vector<int> replays_;        // slots whose tests go again from their backups
    std::string shownText_, shownTooltip_;
    bool firstShow_ = true;
    std::unique_ptr<LabSender> sender_;  // last: its thread stops before the rest goes
};

}  // namespace klv::lab
