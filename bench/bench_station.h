#pragma once

// What the data-file and viewer benchmarks share: clocks, a station in a folder of its own,
// and a data file of a million records written by the station's writer.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/data_file.h"
#include "data/data_loader.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/virtual_port_wait.h"
#include "program/program_tables.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "station.h"
#include "support/null_port.h"
#include "view/station_startup.h"

namespace klvbench {

inline double wallNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// CPU time of this thread: on a machine busy with other work it shows the cost without the waiting.
inline double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Resident size of the process from the kernel, in bytes.
inline double residentBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

// A program folder of our own under /tmp, removed when the benchmark is done with it.
struct TempHome {
    TempHome()
    {
        char pattern[] = "/tmp/klv-dbench-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "/tmp";
    }
    ~TempHome()
    {
        std::error_code ignored;
        if (path != "/tmp")
            std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

// A station in a fresh folder with no bench behind it, set up as the main window sets it up.
struct BenchStation {
    TempHome home;
    klv::VirtualClock clock{0, {2024, 3, 12, 9, 30, 5}};
    klv::VirtualPortWait pump{clock};
    NullPort port;
    klv::Station station{home.path, port, clock, pump};

    BenchStation() { klv::startUpStation(station); }

    // Six TAL-M5 devices (4.5 V, currents as "0.000") with all eight channels present.
    void addDevices(int count)
    {
        for (int d = 0; d < count; ++d) {
            klv::DeviceEntry& dev = station.link.devices[d];
            dev.modelCode = 22;
            dev.busAddress = d;
            klv::applyModelRow(dev);
            station.ui.panels[d].Conn.fill(true);
        }
    }

    // One discharge step without a time limit, applied to every channel of every device.
    void applyDischarge()
    {
        klv::TextGrid edited = klv::newStepTable();
        const char* row[] = {"恒流放", "01.00", "02.75", "00.05", "0"};
        for (int c = 0; c < 5; ++c)
            edited.at(1, c + 1) = row[c];
        klv::applyProgram(station.program, station.link, 0, edited, 1, klv::kApplyAllTarget);
    }
};

// A cell over a long test: the voltage swings slowly, the current wanders a little.
inline float cellVoltage(int i) { return 3.7f + 0.5f * std::sin(static_cast<float>(i) / 7000.0f); }
inline float cellCurrent(int i) { return 1.0f + 0.02f * std::sin(static_cast<float>(i) * 0.37f); }

constexpr int kRecords = 1'000'000;

// One data file of a million records, written once for the loader benchmarks. Times are
// even seconds up to 1 999 998: whole numbers a single-precision X holds exactly.
struct MillionFile {
    BenchStation bench;
    std::string base;
    int headerLines = 0;  // lines before the column header

    MillionFile()
    {
        bench.addDevices(1);
        bench.applyDischarge();
        fill(bench.station);
        base = bench.home.path + "/million";
        klv::writeDataFiles(bench.station, 0, base);
        std::ifstream in(base + ".dat", std::ios::binary);
        for (std::string line; std::getline(in, line) && !line.starts_with("Time(S)");)
            ++headerLines;
    }

    static void fill(klv::Station& station)
    {
        klv::CurveGraph& graph = station.ui.graphs[0];
        for (int i = 0; i < kRecords; ++i) {
            const float t = static_cast<float>(2 * i);
            graph.AddXY(0, t, cellVoltage(i));
            graph.AddXY(1, t, cellCurrent(i));
        }
    }

    static MillionFile& get()
    {
        static MillionFile file;
        return file;
    }
};

}  // namespace klvbench
