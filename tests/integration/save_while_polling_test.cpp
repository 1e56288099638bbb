#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/data_file.h"
#include "data/save_ops.h"
#include "data/save_queue.h"
#include "integration/full_bench.h"
#include "platform/text_file.h"
#include "run/backup_files.h"

using namespace klv;

namespace {

constexpr int kPoints = 180'000;

std::string bytesOf(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct SaveWhilePolling : FullBench {
    SaveQueue queue;
    std::array<int, kChannels> readings{};

    // Every reading that reaches live data handling is counted per channel.
    void countReadings()
    {
        auto handle = station.onLiveData;
        station.onLiveData = [this, handle](int slot) {
            ++readings[static_cast<size_t>(slot)];
            handle(slot);
        };
    }
};

}  // namespace

// "设备保存" of eight channels of 180 000 points and the auto-save of all 48 channels go to the
// save queue while six units are polled at the line's own pace: every tick still reads every
// channel, and the files the queue writes are byte for byte those written on the spot.
TEST_F(SaveWhilePolling, SavesOnTheQueueLeaveEveryTickItsReadingsAndWriteTheSameBytes)
{
    port.setLineTiming(true);
    setUpBench(2.0);
    startAll({{"恒流放", "00.50", "02.75", "00.00", "0"}});
    countReadings();
    for (int t = 0; t < 4; ++t)
        second();
    // Fifty hours of one-second points on every channel of the first device.
    CurveGraph& graph = station.ui.graphs[0];
    for (int i = 0; i < kPoints; ++i)
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            graph.AddXY(2 * n, static_cast<float>(i), 3.0f + static_cast<float>(i % 1200) / 1000.0f);
            graph.AddXY(2 * n + 1, static_cast<float>(i), 0.5f + static_cast<float>(n) / 1000.0f);
        }

    // The same moment written on the spot, for comparison.
    const std::string direct = home.path() + "/direct", queued = home.path() + "/queued";
    for (int n = 0; n < kChannelsPerDevice; ++n)
        writeDataFiles(station, slotOf(0, n), direct + "-1-" + std::to_string(n + 1));
    station.saveQueue = &queue;
    saveDevice(station, 0, queued);
    for (int s = 0; s < kChannels; ++s)
        autoSave(station, s);
    EXPECT_GT(queue.waiting(), 0) << "the saves were written on the polling thread";

    const std::array<int, kChannels> before = readings;
    constexpr int kTicks = 6;
    for (int t = 0; t < kTicks; ++t) {
        const PollTickReport report = second();
        EXPECT_FALSE(report.skipped) << "tick " << t;
    }
    // Status-only frames go every other tick: half the ticks bring each channel a reading.
    for (int s = 0; s < kChannels; ++s)
        EXPECT_EQ(readings[static_cast<size_t>(s)] - before[static_cast<size_t>(s)], kTicks / 2) << "slot " << s;

    queue.finish();
    EXPECT_EQ(queue.waiting(), 0);
    for (int n = 1; n <= kChannelsPerDevice; ++n)
        for (const char* kind : {".dat", ".run"}) {
            const std::string a = bytesOf(direct + "-1-" + std::to_string(n) + kind);
            ASSERT_GT(a.size(), std::string(kind) == ".dat" ? static_cast<size_t>(kPoints) * 14 : 100) << n << kind;
            ASSERT_TRUE(a == bytesOf(queued + "-1-" + std::to_string(n) + kind)) << n << kind;
        }
    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data"))
        saved += entry.path().extension() == ".dat";
    EXPECT_EQ(saved, kChannels);
}
