// The station window while it works: how long its event loop can be kept waiting while six
// units are polled on the real serial stack, and what one run tick and the repaint of 48
// busy tiles cost against the 1000 ms tick.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "bench_app.h"
#include "link/poll_cycle.h"
#include "link/port_map.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_serial_port.h"
#include "platform/virtual_event_pump.h"
#include "program/program_tables.h"
#include "run/bench_start.h"
#include "run/run_engine.h"
#include "sim/sim_bus.h"
#include "sim/sim_port.h"
#include "sim_child.h"
#include "station.h"
#include "ui/station_window.h"

namespace {

using namespace klv;
using namespace bench;
using SteadyClock = std::chrono::steady_clock;

// Every present channel discharging at 0.5 A towards 2.5 V: a step that outlasts the run.
void startEveryChannel(Station& station)
{
    TextGrid table = newStepTable();
    const char* row[5] = {"恒流放", "00.50", "02.50", "00.00", "0"};
    for (int c = 0; c < 5; ++c)
        table.at(1, c + 1) = row[c];
    startSlots(station, slotsOfChannels(station, {}).value_or(std::vector<int>{}), &table, ChannelOp::Start);
}

// (a) The window on the real serial stack against klv-sim with six units at 9600 baud line
// timing, all 48 channels running, for state.range(0) seconds. A zero-interval timer fires
// whenever the event loop is free; max_gap_ms is the longest time between two firings, which
// must stay under 50 ms. polls counts the poll ticks that took answers.
void Window_EventLoopGap(benchmark::State& state)
{
    ensureGuiApplication();
    for (auto _ : state) {
        ScratchFolder home;
        SimChild sim(home.path());
        if (!sim.started()) {
            state.SkipWithError("klv-sim did not start");
            return;
        }
        IniFile ini(home.path() + "/klv.ini");
        QtSerialPort port([&ini](int n) { return portPath(ini, n, systemSerialPorts()); });
        QtEventPump pump(port);
        SystemClock clock;
        Station station(home.path(), port, clock, pump);
        StationWindow window(station);
        window.show();
        if (!window.connectTo(1)) {
            state.SkipWithError("the window did not connect to the simulated units");
            return;
        }
        startEveryChannel(station);

        double maxGapMs = 0;
        long fires = 0;
        SteadyClock::time_point last = SteadyClock::now();
        QTimer probe;
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const auto now = SteadyClock::now();
            maxGapMs = std::max(maxGapMs, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            ++fires;
        });
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(state.range(0)) * 1000, &loop, &QEventLoop::quit);
        const auto t0 = SteadyClock::now();
        last = t0;
        probe.start();
        loop.exec();
        probe.stop();
        state.SetIterationTime(std::chrono::duration<double>(SteadyClock::now() - t0).count());
        state.counters["max_gap_ms"] = maxGapMs;
        state.counters["fires"] = static_cast<double>(fires);
        state.counters["busy_channels"] = static_cast<double>(
            std::count_if(station.run.slots.begin(), station.run.slots.end(), [](const RunSlot& r) { return r.busy; }));
        port.close();
        if (maxGapMs >= 50.0)
            std::fprintf(stderr, "Window_EventLoopGap: the event loop waited %.1f ms\n", maxGapMs);
    }
}
BENCHMARK(Window_EventLoopGap)->Arg(60)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// (b) One run tick over 48 busy channels followed by the window's repaint of what changed
// (the tiles, whose values change every tick), in virtual time on the in-process bench.
// tick_share_pct is the time of one tick and repaint against the 1000 ms tick: under 2.
void Window_RunTickAndRepaint48(benchmark::State& state)
{
    ensureGuiApplication();
    ScratchFolder home;
    VirtualClock clock{5000};
    VirtualEventPump pump{clock};
    sim::SimBus bus;
    sim::SimPort port{bus, clock};
    for (int a = 0; a < kMaxDevices; ++a)
        bus.addUnit(a, kModels[a]);
    Station station(home.path(), port, clock, pump);
    StationWindow window(station);
    window.show();
    if (!window.connectTo(1)) {
        state.SkipWithError("the window did not connect to the simulated units");
        return;
    }
    startEveryChannel(station);
    const auto second = [&] {
        clock.advance(1000);
        station.link.pollToggle = 0;  // every tick brings fresh readings to show
        pollTick(station);
    };
    for (int i = 0; i < 5; ++i) {
        second();
        runTick(station);
    }
    double spentMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        second();
        state.ResumeTiming();
        const auto t0 = SteadyClock::now();
        runTick(station);
        window.refreshView();
        QApplication::processEvents();  // the repaint itself
        spentMs += std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count();
    }
    const double busy = static_cast<double>(
        std::count_if(station.run.slots.begin(), station.run.slots.end(), [](const RunSlot& r) { return r.busy; }));
    state.counters["busy_channels"] = busy;
    state.counters["tick_share_pct"] = spentMs / static_cast<double>(state.iterations()) / 1000.0 * 100.0;
}
BENCHMARK(Window_RunTickAndRepaint48)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
