#include "data/save_queue.h"

#include <utility>

namespace klv {

SaveQueue::~SaveQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void SaveQueue::post(DataFileCopy copy)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(copy));
        if (!worker_.joinable())
            worker_ = std::thread(&SaveQueue::run, this);
    }
    wake_.notify_one();
}

void SaveQueue::finish()
{
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return queue_.empty() && writing_ == 0; });
}

int SaveQueue::waiting() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(queue_.size()) + writing_;
}

std::vector<std::string> SaveQueue::takeFailures()
{
    std::lock_guard lock(mutex_);
    return std::exchange(failed_, {});
}

void SaveQueue::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;  // stopping, and nothing left to write
        DataFileCopy copy = std::move(queue_.front());
        queue_.pop_front();
        writing_ = 1;
        lock.unlock();
        const bool written = writeDataFiles(copy);
        lock.lock();
        if (!written)
            failed_.push_back(copy.base);
        writing_ = 0;
        done_.notify_all();
    }
}

}  // namespace klv
