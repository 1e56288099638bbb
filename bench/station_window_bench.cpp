// The station window while it works: how long its event loop can be kept waiting while six
// units are polled on the real serial stack, and what one run tick and the repaint of 48
// busy tiles cost against the 1000 ms tick.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>

#include "bench_app.h"
#include "link/poll_cycle.h"
#include "platform/virtual_event_pump.h"
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
// benchmark skipped, when it did not connect.
bool showRunning(benchmark::State& state, StationWindow& window, Station& station)
{
    window.show();
    if (!window.connectTo(1)) {
        state.SkipWithError("the window did not connect to the simulated units");
        return false;
    }
    startEveryChannel(station);
    return true;
}

// (a) The window on the real serial stack against klv-sim with six units at 9600 baud line
// timing, all 48 channels running, for state.range(0) seconds. A 10 ms probe timer fires
// whenever the event loop lets it; max_gap_ms is the longest time between two firings, which
// must stay under 50 ms.
void Window_EventLoopGap(benchmark::State& state)
{
    ensureGuiApplication();
    for (auto _ : state) {
        SerialStation bench;
        if (!bench.sim.started()) {
            state.SkipWithError("klv-sim did not start");
            return;
        }
        Station& station = bench.station;
        StationWindow window(station);
        if (!showRunning(state, window, station))
            return;

        Probe probe;
        const auto t0 = SteadyClock::now();
        runWithProbe(probe, static_cast<int>(state.range(0)));
        state.SetIterationTime(std::chrono::duration<double>(SteadyClock::now() - t0).count());
        state.counters["max_gap_ms"] = probe.maxGapMs;
        state.counters["fires"] = probe.fires;
        state.counters["busy_channels"] = static_cast<double>(
            std::count_if(station.run.slots.begin(), station.run.slots.end(), [](const RunSlot& r) { return r.busy; }));
        bench.port.close();
        if (probe.maxGapMs >= 50.0)
            std::fprintf(stderr, "Window_EventLoopGap: the event loop waited %.1f ms\n", probe.maxGapMs);
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
