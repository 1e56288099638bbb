#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/data_file_copy.h"

namespace klv {

// Writes data files on a thread of its own, in the order they were handed over, so that a save
// of long curves never holds up the thread that polls the bench. The copies are taken on the
// polling thread (copyDataFiles); the tables are never read from here.
class SaveQueue {
public:
    SaveQueue() = default;
    // Writes whatever is still waiting before it goes.
    ~SaveQueue();
    SaveQueue(const SaveQueue&) = delete;
    SaveQueue& operator=(const SaveQueue&) = delete;

    void post(DataFileCopy copy);
    // Returns once every copy handed over so far is on disk.
    void finish();
    // Copies handed over and not yet written, the one being written included.
    int waiting() const;
    // The bases of the copies that could not be written since the last call.
    std::vector<std::string> takeFailures();

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<DataFileCopy> queue_;
    std::vector<std::string> failed_;
    int writing_ = 0;
    bool stopping_ = false;
    std::thread worker_;  // started with the first copy
};

}  // namespace klv
