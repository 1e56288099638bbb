// The station window while it works: how long its event loop can be kept waiting while six
// units are polled on the real serial stack, and what one run tick and the repaint of 48
// busy tiles cost against the 1000 ms tick.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>

#include "bench_app.h"
#include "link/poll_cycle.h"
#include "platform/virtual_port_wait.h"
#include "program/program_tables.h"
#include "run/bench_start.h"
#include "run/run_engine.h"
#include "serial_station.h"
#include "sim/sim_bus.h"
#include "sim/sim_port.h"
#include "sim_child.h"
#include "station.h"
#include "ui/station_window.h"

namespace {

using namespace klv;
using namespace bench;

// Every present channel discharging at 0.5 A towards 2.5 V: a step that outlasts the run.
void startEveryChannel(Station& station)
{
    TextGrid table = newStepTable();
    const char* row[5] = {"恒流放", "00.50", "02.50", "00.00", "0"};
    for (int c = 0; c < 5; ++c)
        table.at(1, c + 1) = row[c];
    startSlots(station, slotsOfChannels(station, {}).value_or(std::vector<int>{}), &table, ChannelOp::Start);
}

// Shows the window connected to the units with every channel running; false, and the
// benchmark skipped, when it did not connect. The scan may run on the link thread: the event
// loop runs until it ends.
bool showRunning(benchmark::State& state, StationWindow& window, Station& station)
{
    window.show();
    bool connected = false;
    QEventLoop scanning;
    window.connectTo(1, 1, 6, [&](bool ok) {
        connected = ok;
        scanning.quit();
    });
    if (!connected && !station.link.connected)
        scanning.exec();
    if (!connected) {
        state.SkipWithError("the window did not connect to the simulated units");
        return false;
    }
    startEveryChannel(station);
    return true;
}

// Inside a handler, the time since the event it handles was posted: a key press the operator
// makes, as the window receives it.
struct InputDelay : QObject {
    SteadyClock::time_point posted{};
    double maxDelayMs = 0;
    int handled = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            maxDelayMs =
                std::max(maxDelayMs, std::chrono::duration<double, std::milli>(SteadyClock::now() - posted).count());
            ++handled;
        }
        return false;
    }
};

// Runs body(station, window) with the window shown on the real serial stack against klv-sim's
// six units at 9600 baud line timing, all 48 channels running; skipped when that fails.
template <class Body>
void withRunningWindow(benchmark::State& state, Body body)
{
    SerialStation bench;
    if (!bench.sim.started()) {
        state.SkipWithError("klv-sim did not start");
        return;
    }
    StationWindow window(bench.station, bench.link, bench.searchPort);
    if (showRunning(state, window, bench.station))
        body(bench.station, window);
}

// (a) The window on the real serial stack against klv-sim with six units at 9600 baud line
// timing, all 48 channels running, for state.range(0) seconds. A 10 ms probe timer fires
// whenever the event loop lets it; max_gap_ms is the longest time between two firings, which
// must stay under 50 ms.
void Window_EventLoopGap(benchmark::State& state)
{
    ensureGuiApplication();
    for (auto _ : state) {
        withRunningWindow(state, [&state](Station& station, StationWindow&) {
            Probe probe;
            const auto t0 = SteadyClock::now();
            runWithProbe(probe, static_cast<int>(state.range(0)));
            state.SetIterationTime(std::chrono::duration<double>(SteadyClock::now() - t0).count());
            state.counters["max_gap_ms"] = probe.maxGapMs;
            state.counters["fires"] = probe.fires;
            state.counters["busy_channels"] = static_cast<double>(std::count_if(
                station.run.slots.begin(), station.run.slots.end(), [](const RunSlot& r) { return r.busy; }));
            if (probe.maxGapMs >= 50.0)
                std::fprintf(stderr, "Window_EventLoopGap: the event loop waited %.1f ms\n", probe.maxGapMs);
        });
    }
}
BENCHMARK(Window_EventLoopGap)->Arg(60)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// (b) Input while six units are polled with line timing and all 48 channels run, on the real
// serial stack: every 20 ms a key press is posted to the window, and max_key_delay_ms is the
// longest time from posting it to its handler. Must stay under 50 ms.
void Window_InputLatency(benchmark::State& state)
{
    ensureGuiApplication();
    for (auto _ : state) {
        withRunningWindow(state, [&state](Station&, StationWindow& window) {
            InputDelay delay;
            window.installEventFilter(&delay);
            QTimer keys;
            keys.setTimerType(Qt::PreciseTimer);
            QObject::connect(&keys, &QTimer::timeout, [&] {
                delay.posted = SteadyClock::now();
                QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
            });
            keys.start(20);
            Probe probe;
            const auto t0 = SteadyClock::now();
            runWithProbe(probe, static_cast<int>(state.range(0)));
            state.SetIterationTime(std::chrono::duration<double>(SteadyClock::now() - t0).count());
            window.removeEventFilter(&delay);
            state.counters["max_key_delay_ms"] = delay.maxDelayMs;
            state.counters["keys"] = delay.handled;
            state.counters["max_gap_ms"] = probe.maxGapMs;
            if (delay.maxDelayMs >= 50.0)
                std::fprintf(stderr, "Window_InputLatency: a key waited %.1f ms for its handler\n", delay.maxDelayMs);
        });
    }
}
BENCHMARK(Window_InputLatency)->Arg(30)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// (b) One run tick over 48 busy channels followed by the window's repaint of what changed
// (the tiles, whose values change every tick), in virtual time on the in-process bench.
// tick_share_pct is the time of one tick and repaint against the 1000 ms tick: under 2.
void Window_RunTickAndRepaint48(benchmark::State& state)
{
    ensureGuiApplication();
    ScratchFolder home;
    VirtualClock clock{5000};
    VirtualPortWait pump{clock};
    sim::SimBus bus;
    sim::SimPort port{bus, clock};
    for (int a = 0; a < kMaxDevices; ++a)
        bus.addUnit(a, kModels[a]);
    Station station(home.path(), port, clock, pump);
    DirectLink link(station);
    StationWindow window(station, link, port);
    if (!showRunning(state, window, station))
        return;
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
