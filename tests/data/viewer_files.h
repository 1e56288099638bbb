#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "data/data_loader.h"
#include "data/data_station.h"

// One point of a recorded test: seconds, current, voltage.
struct TestPoint {
    float seconds, current, voltage;
};

// A recorded test of channel 1-1 on a TAL-M1 (currents "0.000" in the data file), saved by the
// station's own writer as base.dat and base.run.
struct RecordedTest {
    std::vector<std::array<std::string, 5>> steps;
    std::vector<TestPoint> points;
    std::vector<std::array<std::string, 6>> results;
    int readingCurrentScale = 1000;

    // The test in channel 1-1 of the bench, with its first `rows` result rows (all by default).
    void fill(DataStation& bench, size_t rows = SIZE_MAX) const
    {
        bench.addDevice(0, "TAL-M1", 0, readingCurrentScale);
        bench.setProgram(0, steps, static_cast<int>(steps.size()));
        for (const TestPoint& p : points)
            bench.addPoint(0, p.seconds, p.current, p.voltage);
        bench.growResults(0, static_cast<int>(results.size()));
        for (size_t r = 0; r < results.size() && r < rows; ++r)
            bench.setResult(0, static_cast<int>(r) + 1, results[r]);
    }

    void save(const std::string& base) const
    {
        DataStation bench;
        fill(bench);
        klv::writeDataFiles(bench.station, 0, base);
    }
};

// Rest 3 s, discharge 3 s at 1 A, charge 3 s at 0.5 A: one point a second.
inline RecordedTest restDischargeCharge()
{
    RecordedTest t;
    t.steps = {{"搁置", "00.00", "00.00", "00.00", "1"},
               {"恒流放", "01.00", "02.75", "00.00", "0"},
               {"恒压充", "01.00", "04.20", "00.10", "0"}};
    t.points = {{0, 0, 3.9f}, {1, 0, 3.9f},    {2, 0, 3.9f},    {3, 1, 3.8f},   {4, 1, 3.7f},
                {5, 1, 3.6f}, {6, 0.5f, 3.9f}, {7, 0.5f, 4.0f}, {8, 0.5f, 4.1f}};
    t.results = {{"1", "1", "搁置", "0.000", "0.000", "0:00:03"},
                 {"1", "2", "恒流放", "0.003", "0.011", "0:00:03"},
                 {"1", "3", "恒压充", "0.001", "0.005", "0:00:03"}};
    return t;
}

// Three passes of discharge 6 s at 1 A and charge 6 s at 0.5 A, the discharge flat at 3.70 V
// for three seconds: one point a second.
inline RecordedTest threeCycles()
{
    RecordedTest t;
    t.steps = {{"恒流放", "01.00", "03.00", "00.00", "0"},
               {"恒压充", "00.50", "04.20", "00.05", "0"},
               {"循环", "0.000", "00.00", "0.000", "3"}};
    const float discharge[] = {3.90f, 3.80f, 3.70f, 3.70f, 3.70f, 3.50f};
    const char* dischargeAh[] = {"1.000", "0.980", "0.950"};
    for (int c = 0; c < 3; ++c) {
        const auto t0 = static_cast<float>(c * 12);
        for (int k = 0; k < 6; ++k)
            t.points.push_back({t0 + static_cast<float>(k), 1, discharge[k]});
        for (int k = 0; k < 6; ++k)
            t.points.push_back({t0 + 6 + static_cast<float>(k), 0.5f, 3.6f + 0.1f * static_cast<float>(k)});
        const std::string cycle = std::to_string(c + 1);
        t.results.push_back({cycle, "1", "恒流放", dischargeAh[c], "3.650", "0:00:06"});
        t.results.push_back({cycle, "2", "恒压充", "1.010", "3.900", "0:00:06"});
    }
    return t;
}
