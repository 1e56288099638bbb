#pragma once

#include <QMetaObject>
#include <QObject>
#include <memory>
#include <stop_token>
#include <thread>
#include <utility>

namespace klv {

// One piece of work away from the window's thread, owned by the window it fills. The work
// gets a stop token and must read only what it was given (a copy of the tables, a file name).
// Its result comes back as a queued event to the owner's thread, where `deliver` runs unless
// the work was abandoned or the owner has gone (Qt drops the events of a deleted object).
// Start, abandon and deliver all run on the owner's thread; the Worker must be a member of the
// owner, so that its end (which stops and waits) comes before the owner's.
class Worker {
public:
    Worker() = default;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker() { abandon(); }

    template <typename Work, typename Deliver>
    void start(QObject* owner, Work work, Deliver deliver)
    {
        abandon();
        const int round = round_;
        // Worker thread: owns the work and what it captured; touches nothing of the owner's
        // but the queued event it posts.
        thread_ = std::jthread(
            [this, owner, round, work = std::move(work), deliver = std::move(deliver)](std::stop_token stop) {
                auto result = std::make_shared<decltype(work(stop))>(work(stop));
                if (stop.stop_requested())
                    return;
                QMetaObject::invokeMethod(
                    owner,
                    [this, round, deliver, result] {
                        if (round == round_)
                            deliver(std::move(*result));
                    },
                    Qt::QueuedConnection);
            });
    }

    // Asks the running work to stop and waits for it; a result it already posted is dropped.
    void abandon()
    {
        ++round_;
        thread_.request_stop();
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::jthread thread_;
    int round_ = 0;  // the owner's thread only
};

}  // namespace klv
