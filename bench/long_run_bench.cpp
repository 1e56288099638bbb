// A week of testing on a full bench in virtual time: the memory a station gains beyond the
// points it records.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

#include "bench_station.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "program/step_tables.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "sim/sim_bus.h"
#include "sim/sim_port.h"

namespace {

using klvbench::residentBytes;
using klvbench::TempHome;

constexpr int kChannels = klv::kMaxDevices * klv::kChannelsPerDevice;
constexpr int kDaySeconds = 24 * 3600;

// Six units of eight 1.5 Ah cells on the simulated bus, connected and running a discharge and
// charge loop that outlasts the week, with the station's live data handling and auto-save.
struct WeekBench {
    TempHome home;
    klv::VirtualClock clock{0};
    klv::VirtualPortWait pump{clock};
    klv::sim::SimBus bus;
    klv::sim::SimPort port{bus, clock};
    klv::Station station{home.path, port, clock, pump};

    bool start()
    {
        for (int address = 0; address < klv::kMaxDevices; ++address) {
            auto& unit = bus.addUnit(address, 22);
            for (int n = 0; n < klv::kChannelsPerDevice; ++n)
                unit.channel(n).cell.capacityAh = 1.5 * (1 + 0.01 * n);
        }
        port.setLineTiming(false);
        klv::startUpStation(station);
        if (klv::connectBench(station, 1, klv::scanRange(1, 6)) != klv::ConnectResult::Connected)
            return false;
        klv::installLiveData(station);
        station.run.autoSave = true;
        const klv::TextGrid table = klv::test::stepTable({{"恒流放", "01.00", "02.75", "00.00", "0"},
                                                          {"恒压充", "01.00", "04.20", "00.05", "0"},
                                                          {"循环", "00.00", "00.00", "00.00", "99"}});
        for (int d = 0; d < klv::kMaxDevices; ++d)
            klv::applyProgram(station.program, station.link, d, table, 1, klv::kApplyAllTarget);
        for (int s = 0; s < kChannels; ++s)
            klv::startChannel(station, s);
        return true;
    }

    // One second of the station: the poll tick, then the run tick, then the rest of the second.
    void second()
    {
        const std::uint32_t started = clock.milliseconds();
        klv::pollTick(station);
        klv::runTick(station);
        const std::uint32_t spent = clock.milliseconds() - started;
        if (spent < 1000)
            clock.advance(1000 - spent);
    }

    // Readings recorded so far; each is one voltage and one current point on its device's graph.
    long recordedReadings() const
    {
        long readings = 0;
        for (const klv::CurveGraph& graph : station.ui.graphs)
            for (int n = 0; n < klv::kChannelsPerDevice; ++n)
                readings += graph.DpCnt(2 * n);
        return readings;
    }

    int busyChannels() const
    {
        int busy = 0;
        for (const klv::RunSlot& run : station.run.slots)
            busy += run.busy;
        return busy;
    }
};

double heapInUse() { return static_cast<double>(mallinfo2().uordblks); }

// Growth is measured from the end of the first day, when every curve holds its first blocks
// and the results tables their first rows; the figure per reading is then set against the
// two points (voltage, current) a reading adds to its graph.
void LongRun_Week48(benchmark::State& state)
{
    for (auto _ : state) {
        malloc_trim(0);
        auto bench = std::make_unique<WeekBench>();
        if (!bench->start()) {
            state.SkipWithError("the simulated bench did not connect");
            break;
        }
        for (int t = 0; t < kDaySeconds; ++t)
            bench->second();
        const double heapDay1 = heapInUse(), rssDay1 = residentBytes();
        const long readingsDay1 = bench->recordedReadings();
        for (int t = kDaySeconds; t < 7 * kDaySeconds; ++t)
            bench->second();
        const double readings = static_cast<double>(bench->recordedReadings() - readingsDay1);
        state.counters["readings"] = readings;
        state.counters["busy_at_end"] = bench->busyChannels();
        state.counters["points_bytes_per_reading"] = 2.0 * sizeof(klv::CurvePoint);
        state.counters["heap_bytes_per_reading"] = (heapInUse() - heapDay1) / readings;
        state.counters["rss_bytes_per_reading"] = (residentBytes() - rssDay1) / readings;
        state.counters["heap_MB"] = heapInUse() / 1e6;
    }
}
BENCHMARK(LongRun_Week48)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
