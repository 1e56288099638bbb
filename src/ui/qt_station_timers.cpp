#include "ui/qt_station_timers.h"

#include <memory>

#include "run/run_engine.h"
#include "station.h"

namespace klv {

StationTimers::StationTimers(Station& station, Link& link, QObject* parent)
        : QObject(parent), station_(station), link_(link)
{
    tmrComm.setInterval(1000);
    tmrRun.setInterval(1000);
    connect(&tmrComm, &QTimer::timeout, this, &StationTimers::onComm);
    connect(&tmrRun, &QTimer::timeout, this, [this] {
        runTick(station_);
        Q_EMIT ran();
    });
}

void StationTimers::start()
{
    tmrComm.start();
    tmrRun.start();
}

void StationTimers::stopRun() { tmrRun.stop(); }

void StationTimers::onComm()
{
    auto cycle = std::make_unique<PollCycle>(station_);
    const PollCycle& tick = *cycle;
    const bool started = link_.run(std::move(cycle), [this, &tick] {
        if (tick.report().timerOff)
            tmrComm.stop();
        Q_EMIT polled(tick.report());
    });
    // The last tick, or a connect scan, still has the link.
    if (!started)
        Q_EMIT polled(PollTickReport{.skipped = true});
}

}  // namespace klv
