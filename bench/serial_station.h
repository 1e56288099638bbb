#pragma once

// What the event-loop benchmarks share: a station on the real serial stack against klv-sim,
// and a probe timer that measures how long the event loop kept it waiting.
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "link/connection.h"
#include "link/port_map.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "platform/qt_serial_port.h"
#include "sim_child.h"
#include "station.h"
#include "ui/link_thread.h"

namespace bench {

using SteadyClock = std::chrono::steady_clock;

// A station in a scratch folder as the program has it: the tables on this thread, QSerialPort
// on the link thread, the system clock; klv-sim's six units linked as COM1. Check
// sim.started() before use.
struct SerialStation {
    ScratchFolder home;
    SimChild sim{home.path()};
    klv::IniFile ini{home.path() + "/klv.ini"};
    klv::QtSerialPort::Resolver ports = [this](int n) { return klv::portPath(ini, n, klv::systemSerialPorts()); };
    klv::SystemClock clock;
    klv::Station station{home.path(), clock};
    klv::LinkThread link{ports, clock};
    klv::QtSerialPort searchPort{ports};

    // Scans the six units through the link, the event loop running meanwhile.
    bool connect()
    {
        bool connected = false;
        auto scan = std::make_unique<klv::ConnectScan>(station, 1, klv::scanRange(1, 6));
        const klv::ConnectScan& running = *scan;
        QEventLoop scanning;
        if (!link.run(std::move(scan), [&] {
                connected = running.result() == klv::ConnectResult::Connected;
                scanning.quit();
            }))
            return false;
        scanning.exec();
        return connected;
    }
};

// A 10 ms timer's firings: the largest gap between two of them, split by
// whether a poll tick was running at either end of the gap.
struct Probe {
    bool inTick = false;
    bool lastInTick = false;
    int fires = 0, firesInTicks = 0;
    double maxGapMs = 0, maxGapInTicksMs = 0;
    SteadyClock::time_point last{};

    void fired()
    {
        const auto now = SteadyClock::now();
        if (fires > 0) {
            const double gap = std::chrono::duration<double, std::milli>(now - last).count();
            maxGapMs = std::max(maxGapMs, gap);
            if (inTick || lastInTick)
                maxGapInTicksMs = std::max(maxGapInTicksMs, gap);
        }
        last = now;
        lastInTick = inTick;
        ++fires;
        if (inTick)
            ++firesInTicks;
    }
};

// Run the event loop for a while with a 10 ms probe timer firing.
inline void runWithProbe(Probe& probe, int seconds)
{
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(10);
    timer.setTimerType(Qt::PreciseTimer);  // measure the waits, not the timer's own slack
    QObject::connect(&timer, &QTimer::timeout, [&probe] { probe.fired(); });
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
}

}  // namespace bench
