#include "ui/qt_station_timers.h"

#include "run/run_engine.h"
#include "station.h"

namespace klv {

StationTimers::StationTimers(Station& station, QObject* parent) : QObject(parent), station_(station)
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
    PollTickReport report = pollTick(station_);
    if (report.timerOff)
        tmrComm.stop();
    Q_EMIT polled(report);
}

}  // namespace klv
