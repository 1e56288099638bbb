#include <gtest/gtest.h>

#include <filesystem>

#include "common/logs.h"
#include "data/data_file.h"
#include "data/data_station.h"
#include "data/save_ops.h"
#include "data/save_queue.h"
#include "platform/text_file.h"
#include "run/run_engine.h"

using namespace klv;

TEST(DataFileSaveTest, SavingADeviceWritesAllEightPositions)
{
    DataStation bench;
    bench.addDevice(1, "TAL-M4", 2, 1000);  // a four-channel model: positions 5..8 hold nothing
    bench.addPoint(slotOf(1, 0), 0, 1, 3.7f);
    bench.addPoint(slotOf(1, 2), 0, 1, 3.6f);
    // Position 2 fails half way: its current curve lacks the second point.
    bench.addPoint(slotOf(1, 1), 0, 1, 3.5f);
    bench.station.ui.graphs[1].AddXY(2, 2, 3.4f);

    const std::string chosen = bench.home.path() + "/bench7.dat";
    saveDevice(bench.station, 1, chosen);

    for (int k = 1; k <= kChannelsPerDevice; ++k) {
        const std::string base = chosen + "-2-" + std::to_string(k);
        ASSERT_TRUE(fileExists(base + ".dat")) << k;
        EXPECT_EQ(fileExists(base + ".run"), k == 1 || k == 3) << k;
        EXPECT_EQ(readLines(base + ".dat")->at(1), "通道:2-" + std::to_string(k));
    }
    EXPECT_EQ(readLines(chosen + "-2-3.dat")->back(), "0\t1.000\t3.600");

    // A cancelled dialog saves nothing.
    const auto before = std::distance(std::filesystem::directory_iterator(bench.home.path()), {});
    saveDevice(bench.station, 1, "");
    saveChannel(bench.station, 1, 0, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(bench.home.path()), {}), before);
}

TEST(DataFileSaveTest, SavingAChannelNamesTheFilesAfterDeviceAndChannel)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 100);
    bench.addPoint(slotOf(0, 6), 3, 2.5f, 3.9f);
    const std::string chosen = bench.home.path() + "/cell";
    saveChannel(bench.station, 0, 6, chosen);
    const auto lines = readLines(chosen + "-1-7.dat");
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->back(), "3\t02.50\t3.900");
    EXPECT_TRUE(fileExists(chosen + "-1-7.run"));
}

// Written on the spot or on the save queue, a save that cannot be written is named in the history
// list and the error log (the queue's at the next run tick), not lost unnoticed.
TEST(DataFileSaveTest, ASaveThatCannotBeWrittenIsReported)
{
    for (const bool queued : {false, true}) {
        SCOPED_TRACE(queued ? "queued" : "on the spot");
        DataStation bench;
        makeFolder(bench.home.path() + "/Log");
        SaveQueue queue;
        if (queued)
            bench.station.saveQueue = &queue;
        bench.addDevice(0, "TAL-M1", 0, 100);
        bench.addPoint(slotOf(0, 6), 3, 2.5f, 3.9f);
        const std::string chosen = bench.home.path() + "/gone/cell";
        saveChannel(bench.station, 0, 6, chosen);
        queue.finish();
        runTick(bench.station);
        runTick(bench.station);  // reported once
        ASSERT_EQ(bench.station.ui.history.size(), 1u);
        EXPECT_EQ(bench.station.ui.history[0], "09:30:05  数据保存失败 " + chosen + "-1-7.dat");
        const auto klvLog = readLines(klvLogPath(bench.station)).value_or(std::vector<std::string>{});
        ASSERT_EQ(klvLog.size(), 1u);
        EXPECT_NE(klvLog[0].find("ErrSaveData(" + chosen + "-1-7.dat)"), std::string::npos) << klvLog[0];
    }
}

TEST(DataFileSaveTest, TheDialogsProposeTheStationsDateAndTime)
{
    DataStation early({2024, 3, 5, 9, 7, 3});
    EXPECT_EQ(defaultSaveName(early.station), "202435-973");
    early.clock.advance(3600 * 1000);
    EXPECT_EQ(defaultSaveName(early.station), "202435-1073");
    DataStation late({2024, 12, 31, 23, 59, 59});
    EXPECT_EQ(defaultSaveName(late.station), "20241231-235959");

    EXPECT_EQ(saveChannelTitle(0, 1), "保存数据-设备1 通道2");
    EXPECT_EQ(saveDeviceTitle(5), "保存数据-设备6");
}
