// The lab link's cost to the station: what it adds to the run tick on the thread that owns
// the tables, and how long the event loop waits while its batches go out.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

#include "bench_app.h"
#include "lab/lab_store.h"
#include "lab/outbox.h"
#include "lab/outbox_row.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "platform/virtual_port_wait.h"
#include "program/program_tables.h"
#include "run/bench_start.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "serial_station.h"
#include "sim/sim_bus.h"
#include "sim/sim_port.h"
#include "sim_child.h"
#include "station.h"
#include "support/pg_server.h"
#include "ui/qt_station_timers.h"
#include "view/station_startup.h"

namespace {

using namespace klv;
using namespace bench;

// CPU time of this thread: on a shared machine it shows the cost without the waiting.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// Every present channel discharging at 0.5 A towards 2.5 V, recording as it goes: a step that
// outlasts the run.
void startEveryChannel(Station& station)
{
    installLiveData(station);
    TextGrid table = newStepTable();
    const char* row[5] = {"恒流放", "00.50", "02.50", "00.00", "0"};
    for (int c = 0; c < 5; ++c)
        table.at(1, c + 1) = row[c];
    startSlots(station, slotsOfChannels(station, {}).value_or(std::vector<int>{}), &table, ChannelOp::Start);
}

// Six simulated units in virtual time, all 48 channels busy; with a lab store when given a URI.
struct VirtualBench {
    ScratchFolder home;
    VirtualClock clock{5000};
    VirtualPortWait pump{clock};
    sim::SimBus bus;
    sim::SimPort port{bus, clock};
    Station station{home.path(), port, clock, pump};
    std::unique_ptr<lab::LabStore> lab;

    explicit VirtualBench(const std::string& uri)
    {
        for (int a = 0; a < kMaxDevices; ++a)
            bus.addUnit(a, kModels[a]);
        startUpStation(station);
        connectBench(station, 1, scanRange(1, 6));
        if (!uri.empty()) {
            lab = std::make_unique<lab::LabStore>(station, lab::LabConfig{uri, "bench"});
            station.lab = lab.get();
        }
        startEveryChannel(station);
    }
    ~VirtualBench() { station.lab = nullptr; }

    // One second: the readings of every channel applied as live data, then the run tick; the
    // CPU milliseconds of this thread that took.
    double second()
    {
        clock.advance(1000);
        station.link.pollToggle = 0;  // every second brings fresh readings
        const double t0 = cpuMs();
        pollTick(station);
        runTick(station);
        return cpuMs() - t0;
    }
    int busy() const
    {
        return static_cast<int>(
            std::count_if(station.run.slots.begin(), station.run.slots.end(), [](const RunSlot& r) { return r.busy; }));
    }
};

// The same seconds on two stations of 48 busy channels, one with the lab link to a private
// PostgreSQL and one without: lab_added_pct is what the lab link adds to each second's work on
// the tables' thread (live data and the run tick) against the 1000 ms tick. Must stay under 1.
void LabLink_RunTickAdded48(benchmark::State& state)
{
    PgServer server;
    if (!server.failure().empty()) {
        state.SkipWithError(server.failure().c_str());
        return;
    }
    VirtualBench plain(""), linked(server.uri());
    double plainMs = 0, linkedMs = 0;
    for (auto _ : state) {
        plainMs += plain.second();
        linkedMs += linked.second();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["busy_channels"] = linked.busy();
    state.counters["plain_ms"] = plainMs / n;
    state.counters["lab_ms"] = linkedMs / n;
    state.counters["lab_added_pct"] = (linkedMs - plainMs) / n / 1000.0 * 100.0;
    state.counters["backlog"] = static_cast<double>(linked.lab->status().backlog);
}
BENCHMARK(LabLink_RunTickAdded48)->Unit(benchmark::kMillisecond)->Iterations(600);

constexpr int kBacklog = 100000;

// The outbox of a station that was away while kBacklog samples of one test were recorded: it
// drains in large batches while the benchmark runs.
void fillOutbox(const std::string& home)
{
    const std::string id = "0b5c0f3e-1a2b-4c3d-8e4f-001122334455";
    std::vector<std::string> lines{
        lab::encodeRow({lab::RowKind::Test, {id, "bench", "6", "8", "TAL-M3", "", "2024-03-12 09:30:05+00"}})};
    for (int i = 0; i < kBacklog; ++i)
        lines.push_back(lab::encodeRow({lab::RowKind::Sample,
                                        {id, std::to_string(i), std::to_string(i * 2), std::nullopt, "3.702", "-1.000",
                                         "1", "1", "1", std::nullopt, std::nullopt}}));
    lab::Outbox(home + "/LabOutbox").append(lines);
}

// The station on the real serial stack against klv-sim's six units with all 48 channels busy
// and the lab link to a private PostgreSQL, for state.range(0) seconds, with a backlog of
// kBacklog samples to drain besides the live ones: max_gap_ms is the
// longest wait of a 10 ms probe timer on the tables' thread while batches go out. Must stay
// under 50 ms.
void LabLink_EventLoopGapWhileSending(benchmark::State& state)
{
    ensureGuiApplication();
    PgServer server;
    if (!server.failure().empty()) {
        state.SkipWithError(server.failure().c_str());
        return;
    }
    for (auto _ : state) {
        SerialStation bench;
        startUpStation(bench.station);
        if (!bench.sim.started() || !bench.connect()) {
            state.SkipWithError("the station did not connect to klv-sim");
            return;
        }
        fillOutbox(bench.home.path());
        lab::LabStore store(bench.station, {server.uri(), "bench"});
        bench.station.lab = &store;
        startEveryChannel(bench.station);
        StationTimers timers(bench.station, bench.link);
        timers.start();
        Probe probe;
        runWithProbe(probe, static_cast<int>(state.range(0)));
        state.counters["max_gap_ms"] = probe.maxGapMs;
        state.counters["fires"] = probe.fires;
        state.counters["connected"] = store.status().connected ? 1 : 0;
        lab::PgConnection db;
        db.connect(server.uri(), std::chrono::seconds(5));
        const lab::PgResult sent = db.exec("SELECT count(*) FROM cellward.sample");
        state.counters["samples_sent"] = sent.ok() ? std::stod(sent.value(0, 0)) : 0;
        bench.station.lab = nullptr;
    }
}
BENCHMARK(LabLink_EventLoopGapWhileSending)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
