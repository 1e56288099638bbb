// The polling cycle's cost: how much bus time a tick adds to the bytes it
// moves, how much CPU it takes, and that its waits sleep rather than spin.
//
// klv-bench --benchmark_filter=Poll runs them all in about a minute and a half;
// the last two start klv-sim (and klv-station) as real processes.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench_app.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "platform/text_file.h"
#include "platform/virtual_port_wait.h"
#include "serial_station.h"
#include "sim/sim_bus.h"
#include "sim/sim_port.h"
#include "sim_child.h"
#include "station.h"

namespace {

using namespace klv;
using namespace bench;

constexpr double kByteMs = 11.0 * 1000.0 / 9600.0;  // start, 8 data, parity, stop at 9600 baud

// Passes everything to the port behind it and notes, in virtual milliseconds,
// when each request went out and when each answer was taken.
class RecordingPort : public SerialPort {
public:
    struct Exchange {
        std::uint32_t writtenMs = 0, readMs = 0;
        size_t requestBytes = 0, answerBytes = 0;
        Bytes request;
    };
    RecordingPort(SerialPort& inner, Clock& clock) : inner_(inner), clock_(clock) {}

    bool open(int n) override { return inner_.open(n); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    int bytesWaiting() override { return inner_.bytesWaiting(); }
    void discardInput() override { inner_.discardInput(); }
    Bytes readAll() override
    {
        Bytes b = inner_.readAll();
        if (!exchanges.empty()) {
            exchanges.back().readMs = clock_.milliseconds();
            exchanges.back().answerBytes += b.size();
        }
        return b;
    }
    void write(const Bytes& bytes) override
    {
        exchanges.push_back({clock_.milliseconds(), 0, bytes.size(), 0, bytes});
        inner_.write(bytes);
    }

    std::vector<Exchange> exchanges;

private:
    SerialPort& inner_;
    Clock& clock_;
};

// A limit the figure must keep. Reported as the counter within_limit (1 or 0)
// and, when broken, a line on stderr; the figures themselves stay in the table,
// which an error would hide.
void judge(benchmark::State& state, bool within, const char* broken)
{
    state.counters["within_limit"] = within ? 1 : 0;
    if (!within)
        std::fprintf(stderr, "limit broken: %s\n", broken);
}

// A connected station and six simulated units, all in virtual time.
struct VirtualBench {
    ScratchFolder home;
    VirtualClock clock{5000};
    VirtualPortWait pump{clock};
    sim::SimBus bus;
    sim::SimPort sim{bus, clock};
    RecordingPort port{sim, clock};
    Station station{home.path(), port, clock, pump};
    bool connected = false;

    explicit VirtualBench(bool lineTiming)
    {
        for (int a = 0; a < 6; ++a)
            bus.addUnit(a, kModels[a]);
        sim.setLineTiming(lineTiming);
        connected = connectBench(station, 1, scanRange(1, 6)) == ConnectResult::Connected;
        port.exchanges.clear();
    }
};

// (a) One toggle-0 tick of six idle units with the line paced at 9600 baud.
//
// Time here is virtual: it moves only when a wait pumps, one millisecond a
// pump, so the tick's duration is what the station's waits add up to and not
// what its CPU spends (that is PollTickCpu's). Each wait tests the byte count
// and then pumps, so it ends on the first whole millisecond at or after the
// answer's last byte: up to 1 ms per frame is the pump's granularity, which
// the real pump shares (it sleeps at most a millisecond between tests). Any
// more would be the station's own doing: a wait that outlasts its answer, or
// time between taking one answer and writing the next request.
//
// Reported: the benchmark time is the tick's virtual wall time; line_ms is the
// line time of every request and answer byte of the six frames (11 bits a byte);
// ratio = tick / line, which must stay at or below 1.05. worst_frame_ms is the
// largest wait beyond a frame's own bytes and gaps_ms the time spent between
// frames; granularity_ms is the most the 1 ms pump can account for.
void Poll_TickLineTimeRatio(benchmark::State& state)
{
    VirtualBench b(true);
    if (!b.connected) {
        state.SkipWithError("the simulated bench did not connect");
        return;
    }
    double tickMs = 0, lineMs = 0, worstFrameMs = 0, gapsMs = 0, ratio = 0;
    for (auto _ : state) {
        if (b.station.link.pollToggle == 1)
            pollTick(b.station);  // idle units are not asked on this tick: nothing moves
        b.clock.advance(1000);
        b.port.exchanges.clear();
        const std::uint32_t started = b.clock.milliseconds();
        PollTickReport report = pollTick(b.station);
        const double spent = b.clock.milliseconds() - started;
        if (report.answersDecoded != 6 || b.port.exchanges.size() != 6) {
            state.SkipWithError("a toggle-0 tick did not poll all six units");
            return;
        }
        double line = 0, worst = 0, gaps = 0;
        for (size_t i = 0; i < b.port.exchanges.size(); ++i) {
            const auto& x = b.port.exchanges[i];
            const double frameLine = static_cast<double>(x.requestBytes + x.answerBytes) * kByteMs;
            line += frameLine;
            worst = std::max(worst, (x.readMs - x.writtenMs) - frameLine);
            gaps += i == 0 ? x.writtenMs - started : x.writtenMs - b.port.exchanges[i - 1].readMs;
        }
        gaps += b.clock.milliseconds() - b.port.exchanges.back().readMs;
        tickMs = spent, lineMs = line, worstFrameMs = worst, gapsMs = gaps;
        ratio = std::max(ratio, spent / line);
        state.SetIterationTime(spent / 1000.0);
    }
    state.counters["line_ms"] = lineMs;
    state.counters["tick_ms"] = tickMs;
    state.counters["ratio"] = ratio;  // the worst of all iterations
    state.counters["worst_frame_ms"] = worstFrameMs;
    state.counters["gaps_ms"] = gapsMs;
    state.counters["granularity_ms"] = 6.0;
    judge(state, ratio <= 1.05, "the tick took more than 5% over the line time of its bytes");
}
BENCHMARK(Poll_TickLineTimeRatio)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// (b) The CPU a toggle-0 tick of six units takes, answers arriving at once.
// The in-process simulated units build their answers inside the tick, so
// their share is measured on its own below.
void Poll_TickCpu(benchmark::State& state)
{
    VirtualBench b(false);
    if (!b.connected) {
        state.SkipWithError("the simulated bench did not connect");
        return;
    }
    for (auto _ : state) {
        b.station.link.pollToggle = 0;
        b.port.exchanges.clear();
        PollTickReport report = pollTick(b.station);
        if (report.answersDecoded != 6) {
            state.SkipWithError("a tick did not decode six answers");
            return;
        }
    }
}
BENCHMARK(Poll_TickCpu)->Unit(benchmark::kMicrosecond);

// The simulated units' part of Poll_TickCpu: answering the same six frames.
void Poll_SimAnswersCpu(benchmark::State& state)
{
    VirtualBench b(false);
    b.station.link.pollToggle = 0;
    if (!b.connected || pollTick(b.station).answersDecoded != 6) {
        state.SkipWithError("the simulated bench did not answer");
        return;
    }
    std::vector<Bytes> requests;
    for (const auto& x : b.port.exchanges)
        requests.push_back(x.request);
    for (auto _ : state)
        for (const Bytes& r : requests)
            benchmark::DoNotOptimize(b.bus.handle(r));
}
BENCHMARK(Poll_SimAnswersCpu)->Unit(benchmark::kMicrosecond);

// (c) The waits sleep: klv-station --headless polls six units for a minute,
// and its user + system CPU time over its wall time must stay under 5% of one
// core. The wall time includes start-up and the connect scan.
constexpr int kStationSeconds = 60;

void Poll_StationProcessCpu(benchmark::State& state)
{
    for (auto _ : state) {
        ScratchFolder home;
        SimChild sim(home.path());
        if (!sim.started()) {
            state.SkipWithError("klv-sim did not start");
            return;
        }
        const std::string out = home.path() + "/station.out";
        const auto t0 = SteadyClock::now();
        pid_t station = spawn({KLV_STATION_PATH, "--headless", "--home", home.path(), "--port", "1", "--seconds",
                               std::to_string(kStationSeconds)},
                              out);
        if (station <= 0) {
            state.SkipWithError("klv-station did not start");
            return;
        }
        ChildUsage usage = reap(station);
        const double wall = std::chrono::duration<double>(SteadyClock::now() - t0).count();
        ChildUsage simUsage = sim.stop();
        state.SetIterationTime(wall);

        auto lines = readLines(out).value_or(std::vector<std::string>{});
        auto readings = std::count_if(lines.begin(), lines.end(),
                                      [](const std::string& l) { return l.find(" running=") != std::string::npos; });
        const double pct = 100.0 * usage.cpuSeconds / wall;
        state.counters["station_cpu_pct"] = pct;
        state.counters["station_cpu_s"] = usage.cpuSeconds;
        state.counters["wall_s"] = wall;
        state.counters["sim_cpu_pct"] = 100.0 * simUsage.cpuSeconds / wall;
        state.counters["reading_lines"] = static_cast<double>(readings);
        if (!usage.exited || usage.exitCode != 0 || lines.size() < 6 || readings == 0)
            state.SkipWithError("the station did not connect and poll for its whole run");
        else
            judge(state, pct < 5.0, "the station used 5% of a core or more while polling");
    }
}
BENCHMARK(Poll_StationProcessCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// (d) Responsiveness while waiting: the real serial stack (QtSerialPort on the link thread)
// polls klv-sim once a second for 20 s, every tick a toggle-0 tick so that most of the time
// is spent inside waits, while a 10 ms timer keeps firing on the window thread. Reported: max_gap_ms, the largest gap
// between two firings over the run (must be under 50 ms); max_gap_in_ticks_ms, the same for gaps that touch a tick;
// fires_in_ticks, the firings that came while a tick waited; tick_share, the part of the run spent inside ticks.
// idle_max_gap_ms is the same probe for 3 s before the station connects: what the machine itself allows, so that a
// loaded machine is not taken for a wait that blocks.
constexpr int kResponsiveSeconds = 20;
constexpr int kIdleSeconds = 3;

void Poll_QtWaitResponsiveness(benchmark::State& state)
{
    ensureGuiApplication();
    for (auto _ : state) {
        Probe idle;
        runWithProbe(idle, kIdleSeconds);

        SerialStation bench;
        if (!bench.sim.started()) {
            state.SkipWithError("klv-sim did not start");
            return;
        }
        Station& station = bench.station;
        if (!bench.connect()) {
            state.SkipWithError("the station did not find the simulated units");
            return;
        }

        Probe probe;
        int ticks = 0, answers = 0;
        double tickSeconds = 0;
        QTimer pollTimer;
        pollTimer.setInterval(1000);
        QObject::connect(&pollTimer, &QTimer::timeout, [&] {
            station.link.pollToggle = 0;
            auto cycle = std::make_unique<PollCycle>(station);
            const PollCycle& tick = *cycle;
            const auto t0 = SteadyClock::now();
            const bool started = bench.link.run(std::move(cycle), [&, t0] {
                answers += tick.report().answersDecoded;
                tickSeconds += std::chrono::duration<double>(SteadyClock::now() - t0).count();
                probe.inTick = false;
                ++ticks;
            });
            probe.inTick = started;
        });
        const auto t0 = SteadyClock::now();
        pollTimer.start();
        runWithProbe(probe, kResponsiveSeconds);
        pollTimer.stop();
        const double wall = std::chrono::duration<double>(SteadyClock::now() - t0).count();
        state.SetIterationTime(wall);

        state.counters["max_gap_ms"] = probe.maxGapMs;
        state.counters["max_gap_in_ticks_ms"] = probe.maxGapInTicksMs;
        state.counters["idle_max_gap_ms"] = idle.maxGapMs;
        state.counters["fires"] = probe.fires;
        state.counters["fires_in_ticks"] = probe.firesInTicks;
        state.counters["ticks"] = ticks;
        state.counters["answers"] = answers;
        state.counters["tick_share"] = tickSeconds / wall;
        if (answers < 6 * (ticks - 1) || probe.firesInTicks == 0)
            state.SkipWithError("the units were not polled through the run");
        else
            judge(state, probe.maxGapMs < 50.0, "a 10 ms timer waited 50 ms or more during the polling");
    }
}
BENCHMARK(Poll_QtWaitResponsiveness)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
