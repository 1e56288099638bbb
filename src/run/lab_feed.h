#pragma once

#include <cstdint>

namespace klv {

// Where the run side tells the lab store what it records. Called on the thread that owns the
// station's tables, right after the station's own files got the same; must return at once.
class LabFeed {
public:
    virtual ~LabFeed() = default;
    // A test began on the slot (continued: from its backups, which are on the curves again).
    virtual void testStarted(int slot, bool continued) = 0;
    // The record step added a curve point to the slot.
    virtual void sampleRecorded(int slot) = 0;
    // The step of this results-table row ended and its row went to the backup.
    virtual void stepCompleted(int slot, int row) = 0;
    // The test left the busy state: finished its program, or stopped.
    virtual void testEnded(int slot, bool finished) = 0;
    // Once a run tick: the channels as they now stand.
    virtual void runTicked() = 0;
    // Rows not yet in the database, waiting in the outbox.
    virtual std::int64_t waitingRows() const = 0;
};

}  // namespace klv
