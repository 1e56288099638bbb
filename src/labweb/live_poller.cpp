#include "labweb/live_poller.h"

#include <cstdio>
#include <exception>

#include "lab/lab_reader.h"
#include "labweb/live_state.h"

namespace klv {

LivePoller::LivePoller(lab::LabReader& reader, LiveState& live)
        : reader_(reader), live_(live), thread_([this] { run(); })
{
}

LivePoller::~LivePoller()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void LivePoller::run()
{
    std::string failure;  // the last one logged; the page shows only "database unreachable"
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        try {
            auto stations = reader_.stations();
            live_.update(std::move(stations), reader_.channels());
            if (!failure.empty())
                std::fputs("klv-lab: the lab database answers again\n", stderr);
            failure.clear();
        } catch (const std::exception& e) {
            if (failure != e.what())
                std::fprintf(stderr, "klv-lab: the lab database cannot be read: %s\n", e.what());
            failure = e.what();
            live_.failed(failure);
        }
        lock.lock();
        wake_.wait_for(lock, kInterval, [this] { return stop_; });
    }
}

}  // namespace klv
