// The cycle table of a million-record file against loading that file: its goal is at most a
// fifth of the loader's time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench_station.h"
#include "common/format.h"
#include "data/cycle_table.h"
#include "data/data_loader.h"

namespace {

using namespace klvbench;

void CycleTable_VsLoad1M(benchmark::State& state)
{
    MillionFile& file = MillionFile::get();
    double load = 1e9, table = 1e9;
    size_t rows = 0;
    for (auto _ : state) {
        const double t0 = wallNow();
        klv::LoadedData data = klv::loadDataFile(file.base + ".dat");
        const double t1 = wallNow();
        // The file's records (one every 2 s) cut into a thousand cycles of a discharge and a charge.
        data.results.clear();
        const long long steps = 2000, seconds = 2LL * kRecords / steps;
        for (long long s = 0; s < steps; ++s)
            data.results.push_back({std::to_string(s / 2 + 1), std::to_string(s % 2 + 1), s % 2 ? "恒压充" : "恒流放",
                                    "1.000", "3.700", klv::formatHms(seconds)});
        const double t2 = wallNow();
        const std::string csv = klv::cycleCsv(klv::cycleRows(klv::stepTotals(data)));
        const double t3 = wallNow();
        benchmark::DoNotOptimize(csv.data());
        rows = static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n'));
        load = std::min(load, t1 - t0);
        table = std::min(table, t3 - t2);
        state.SetIterationTime(t3 - t0);
    }
    if (rows != 1001)
        state.SkipWithError("the table does not hold a thousand cycles");
    state.counters["load_ms"] = load * 1e3;
    state.counters["table_ms"] = table * 1e3;
    state.counters["ratio"] = table / load;
}
BENCHMARK(CycleTable_VsLoad1M)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
