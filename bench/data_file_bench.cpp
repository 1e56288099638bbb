// Data files of long tests, the run tick of a full station, and the memory of a
// station whose every channel holds a multi-day curve.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_station.h"
#include "data/data_file.h"
#include "data/data_loader.h"
#include "data/save_ops.h"
#include "data/save_queue.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/text_file.h"
#include "platform/virtual_port_wait.h"
#include "program/program_tables.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "run/backup_files.h"
#include "run/channel_ops.h"
#include "run/run_engine.h"
#include "station.h"
#include "view/station_startup.h"

namespace {

using namespace klvbench;

// The writer and the loader on the same million records, one after the other in one run: the
// writer's goal is at most twice the loader's time.
void DataFile_WriteVsLoad1M(benchmark::State& state)
{
    BenchStation bench;
    bench.addDevices(1);
    bench.applyDischarge();
    MillionFile::fill(bench.station);
    const std::string base = bench.home.path + "/both";
    double write = 1e9, load = 1e9;
    size_t records = 0;
    for (auto _ : state) {
        const double t0 = wallNow();
        klv::writeDataFiles(bench.station, 0, base);
        const double t1 = wallNow();
        klv::LoadedData data = klv::loadDataFile(base + ".dat");
        const double t2 = wallNow();
        write = std::min(write, t1 - t0);
        load = std::min(load, t2 - t1);
        records = data.records.size();
        state.SetIterationTime(t2 - t0);
    }
    if (records != kRecords)
        state.SkipWithError("the loader did not read back the million records");
    std::error_code ignored;
    state.counters["dat_MB"] = static_cast<double>(std::filesystem::file_size(base + ".dat", ignored)) / 1e6;
    state.counters["write_ms"] = write * 1e3;
    state.counters["load_ms"] = load * 1e3;
    state.counters["write_over_load"] = write / load;
}
BENCHMARK(DataFile_WriteVsLoad1M)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// How long the polling thread is held by "设备保存" of eight channels of 180 000 points and by the
// auto-save of all 48 channels ending at once: written on the spot (argument 0, as before the
// save queue) or copied and handed to the save queue (argument 1). A poll tick falls due every
// 1000 ms; the longest hold is what a tick can be late by.
void Save_BlockingThePollingThread(benchmark::State& state)
{
    constexpr int points = 180'000;
    const bool queued = state.range(0) == 1;
    BenchStation bench;
    bench.addDevices(klv::kMaxDevices);
    bench.applyDischarge();
    for (klv::CurveGraph& graph : bench.station.ui.graphs)
        for (int i = 0; i < points; ++i)
            for (int n = 0; n < klv::kChannelsPerDevice; ++n) {
                graph.AddXY(2 * n, static_cast<float>(i), cellVoltage(i + 1000 * n));
                graph.AddXY(2 * n + 1, static_cast<float>(i), cellCurrent(i + 1000 * n));
            }
    klv::makeFolder(bench.home.path + "/Data");
    bench.station.run.autoSave = true;
    klv::SaveQueue queue;
    if (queued)
        bench.station.saveQueue = &queue;
    double device = 0, all = 0, onDisk = 0;
    for (auto _ : state) {
        const double t0 = wallNow();
        klv::saveDevice(bench.station, 0, bench.home.path + "/bench");
        const double t1 = wallNow();
        for (int slot = 0; slot < klv::kMaxDevices * klv::kChannelsPerDevice; ++slot)
            klv::autoSave(bench.station, slot);
        const double t2 = wallNow();
        queue.finish();
        const double t3 = wallNow();
        device = std::max(device, t1 - t0);
        all = std::max(all, t2 - t1);
        onDisk = std::max(onDisk, t3 - t0);
        state.SetIterationTime(t2 - t0);
    }
    state.counters["device_save_held_ms"] = device * 1e3;
    state.counters["autosave48_held_ms"] = all * 1e3;
    state.counters["all_on_disk_ms"] = onDisk * 1e3;
    state.counters["longest_tick_gap_s"] = 1.0 + std::max(device, all);
}
BENCHMARK(Save_BlockingThePollingThread)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Our loader on the million-record file: the best of a few runs, wall and CPU, against a busy machine.
struct LoaderTimes {
    double wall = 1e9, cpu = 1e9;
    size_t records = 0;
    bool complete = false;
};

LoaderTimes timeOurLoader(const std::string& datPath, int runs)
{
    LoaderTimes times;
    for (int r = 0; r < runs; ++r) {
        const double w0 = wallNow(), c0 = cpuNow();
        klv::LoadedData data = klv::loadDataFile(datPath);
        times.cpu = std::min(times.cpu, cpuNow() - c0);
        times.wall = std::min(times.wall, wallNow() - w0);
        times.records = data.records.size();
        times.complete = data.complete;
        benchmark::DoNotOptimize(data.records.data());
    }
    return times;
}

void DataFile_Load1M(benchmark::State& state)
{
    MillionFile& file = MillionFile::get();
    size_t records = 0;
    bool complete = false;
    for (auto _ : state) {
        const double t0 = wallNow();
        klv::LoadedData data = klv::loadDataFile(file.base + ".dat");
        state.SetIterationTime(wallNow() - t0);
        records = data.records.size();
        complete = data.complete;
    }
    if (records != kRecords || !complete)
        state.SkipWithError("the loader did not read back the million records and the result file");
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(DataFile_Load1M)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// pandas read_csv on the same .dat (its header lines skipped, GBK), timed inside Python around
// read_csv alone, best of the runs. Debian's interpreter: the first python3 on PATH may lack pandas.
struct PandasResult {
    bool ok = false;
    std::string message;
    double seconds = 0, cpuSeconds = 0;
    long rows = 0;
};

PandasResult runPandas(const std::string& datPath, int skipRows, int runs)
{
    const std::string script =
        "import sys, time\n"
        "try:\n"
        "    import pandas as pd\n"
        "except Exception as e:\n"
        "    print('NOPANDAS', e); sys.exit(0)\n"
        "best = cpu = None\n"
        "for _ in range(" +
        std::to_string(runs) +
        "):\n"
        "    t0, c0 = time.perf_counter(), time.process_time()\n"
        "    df = pd.read_csv(sys.argv[1], sep='\\t', skiprows=" +
        std::to_string(skipRows) +
        ", encoding='gbk')\n"
        "    c = time.process_time() - c0\n"
        "    t = time.perf_counter() - t0\n"
        "    best = t if best is None else min(best, t)\n"
        "    cpu = c if cpu is None else min(cpu, c)\n"
        "print('SECONDS', repr(best), repr(cpu), len(df), len(df.columns))\n";
    const std::string scriptPath = std::filesystem::path(datPath).parent_path() / "read_csv.py";
    {
        std::ofstream out(scriptPath);
        out << script;
    }
    PandasResult result;
    const std::string command = "/usr/bin/python3 '" + scriptPath + "' '" + datPath + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        result.message = "cannot run /usr/bin/python3";
        return result;
    }
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    const size_t at = output.find("SECONDS ");
    if (at == std::string::npos) {
        result.message = output.find("NOPANDAS") != std::string::npos
                             ? "pandas is not importable by /usr/bin/python3 (install python3-pandas): " + output
                             : "/usr/bin/python3 failed (status " + std::to_string(status) + "): " + output;
        return result;
    }
    long columns = 0;
    if (std::sscanf(output.c_str() + at, "SECONDS %lf %lf %ld %ld", &result.seconds, &result.cpuSeconds, &result.rows,
                    &columns) != 4) {
        result.message = "unreadable answer from the pandas run: " + output;
        return result;
    }
    result.ok = columns == 3;
    if (!result.ok)
        result.message = "pandas read " + std::to_string(columns) + " columns, not 3";
    return result;
}

void DataFile_LoadVsPandas1M(benchmark::State& state)
{
    MillionFile& file = MillionFile::get();
    constexpr int runs = 3;
    const PandasResult pandas = runPandas(file.base + ".dat", file.headerLines, runs);
    if (!pandas.ok) {
        state.SkipWithError(pandas.message.c_str());
        for (auto _ : state) {
        }
        return;
    }
    LoaderTimes ours;
    for (auto _ : state) {
        ours = timeOurLoader(file.base + ".dat", runs);
        state.SetIterationTime(ours.wall);
    }
    if (ours.records != kRecords || !ours.complete || pandas.rows != kRecords) {
        state.SkipWithError("the two readers did not both read the million records");
        return;
    }
    // The goal is on wall time, as read_csv is timed with perf_counter; CPU times are beside it
    // because the machine running the benchmarks may be shared.
    state.counters["ours_ms"] = ours.wall * 1e3;
    state.counters["pandas_ms"] = pandas.seconds * 1e3;
    state.counters["ratio"] = pandas.seconds / ours.wall;
    state.counters["ours_cpu_ms"] = ours.cpu * 1e3;
    state.counters["pandas_cpu_ms"] = pandas.cpuSeconds * 1e3;
    state.counters["ratio_cpu"] = pandas.cpuSeconds / ours.cpu;
}
BENCHMARK(DataFile_LoadVsPandas1M)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// A full station after 50 hours at one point a second: six graphs × 16 curves × 180 000 points.
void StationMemory_48x180k(benchmark::State& state)
{
    constexpr int points = 180'000;
    for (auto _ : state) {
        // What earlier benchmarks freed goes back to the system first, so the growth is this station's.
        malloc_trim(0);
        const double before = residentBytes();
        auto bench = std::make_unique<BenchStation>();
        bench->addDevices(klv::kMaxDevices);
        bench->applyDischarge();
        for (klv::CurveGraph& graph : bench->station.ui.graphs)
            for (int i = 0; i < points; ++i)
                for (int n = 0; n < klv::kChannelsPerDevice; ++n) {
                    const float t = static_cast<float>(i);
                    graph.AddXY(2 * n, t, cellVoltage(i + 1000 * n));
                    graph.AddXY(2 * n + 1, t, cellCurrent(i + 1000 * n));
                }
        const double after = residentBytes();
        benchmark::DoNotOptimize(bench.get());
        state.counters["station_MB"] = (after - before) / 1e6;
        state.counters["process_MB"] = after / 1e6;
        state.counters["points_MB"] =
            static_cast<double>(klv::kMaxDevices) * 16 * points * sizeof(klv::CurvePoint) / 1e6;
        state.counters["under_250MB"] = (after - before) < 250e6 ? 1 : 0;
    }
}
BENCHMARK(StationMemory_48x180k)->Iterations(1)->Unit(benchmark::kMillisecond);

// One run tick over 48 busy channels in their running phase, display update included.
void RunTick_48Busy(benchmark::State& state)
{
    BenchStation bench;
    bench.addDevices(klv::kMaxDevices);
    bench.applyDischarge();
    klv::Station& station = bench.station;
    constexpr int channels = klv::kMaxDevices * klv::kChannelsPerDevice;
    for (int s = 0; s < channels; ++s) {
        klv::startChannel(station, s);
        klv::SlotLink& link = station.link.slots[s];
        link.running = true;
        link.voltage = 3.5f + 0.01f * static_cast<float>(s);
        link.current = 1.0f;
        link.capacity = 0.25f;
        link.energy = 0.9f;
    }
    // Load the step, then the first running tick: from here on every tick is an ordinary running tick,
    // and a step without a time limit that the device keeps running writes no file.
    klv::runTick(station);
    klv::runTick(station);
    for (int s = 0; s < channels; ++s) {
        const klv::RunSlot& run = station.run.slots[s];
        if (!run.busy || run.phase != klv::kPhaseRunning || run.stepTimeLimit != 0) {
            state.SkipWithError("a channel is not in an ordinary running phase");
            for (auto _ : state) {
            }
            return;
        }
    }
    double total = 0;
    for (auto _ : state) {
        const double t0 = wallNow();
        klv::runTick(station);
        const double t = wallNow() - t0;
        total += t;
        state.SetIterationTime(t);
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["tick_us"] = mean * 1e6;
    state.counters["fraction_of_1000ms"] = mean / 1.0;
    state.counters["step_seconds"] = station.run.slots[0].stepSeconds;
}
BENCHMARK(RunTick_48Busy)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
