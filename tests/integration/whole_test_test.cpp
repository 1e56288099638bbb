#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>

#include "data/data_file.h"
#include "data/data_loader.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "platform/text_file.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "support/bench_fixture.h"
#include "view/station_startup.h"

using namespace klv;

namespace {

const char* const kBanner = "----------www.cellward.example--------------";

// Discharge at 1 A to 2.75 V, rest one minute, charge at 1 A to 4.20 V down to 0.05 A, twice.
TextGrid program()
{
    TextGrid t = newStepTable();
    const std::vector<std::vector<std::string>> rows{{"恒流放", "01.00", "02.75", "00.00", "0"},
                                                     {"搁置", "00.00", "00.00", "00.00", "1"},
                                                     {"恒压充", "01.00", "04.20", "00.05", "0"},
                                                     {"循环", "00.00", "00.00", "00.00", "2"}};
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < 5; ++c)
            t.at(static_cast<int>(r) + 1, static_cast<int>(c) + 1) = rows[r][c];
    return t;
}

std::string rawBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct WholeTest : BenchFixture {
    std::vector<int> slots;

    void SetUp() override
    {
        port.setLineTiming(false);
        for (int address : {0, 1}) {
            auto& unit = bus.addUnit(address, address == 0 ? 20 : 22);
            for (int n = 0; n < 8; ++n) {  // small cells keep the virtual hours short
                unit.channel(n).cell.capacityAh = 0.08 + 0.005 * n;
                unit.channel(n).cell.stateOfCharge = 0.6;
            }
        }
        startUpStation(station);
    }

    void begin()
    {
        ASSERT_EQ(connect(), ConnectResult::Connected);
        installLiveData(station);
        station.run.autoSave = true;
        applyProgram(station.program, station.link, 0, program(), 1, kApplyAllTarget);
        slots.clear();
        for (int s = 0; s < 16; ++s)
            slots.push_back(s);
    }
    // One second of the station: the poll tick, then the run tick.
    void second()
    {
        std::uint32_t started = clock.milliseconds();
        pollTick(station);
        runTick(station);
        finishSecond(started);
    }
    bool anyBusy()
    {
        for (int s : slots)
            if (station.run.slots[s].busy)
                return true;
        return false;
    }
    int runUntilIdle(int limit)
    {
        int seconds = 0;
        while (anyBusy() && seconds < limit) {
            second();
            ++seconds;
        }
        second();  // the last stop answers and the finished words
        return seconds;
    }
    std::vector<std::string> lines(const std::string& path)
    {
        return readLines(path).value_or(std::vector<std::string>{});
    }
};

}  // namespace

TEST_F(WholeTest, AProgramRunsToItsEndOnEveryChannelOfTwoModels)
{
    begin();
    for (int s : slots)
        startChannel(station, s);
    int seconds = runUntilIdle(6 * 3600);
    ASSERT_LT(seconds, 6 * 3600) << "the tests never ended";

    for (int s : slots) {
        SCOPED_TRACE("slot " + std::to_string(s));
        const TextGrid& results = station.run.slots[s].gridList;
        for (int r = 1; r <= 6; ++r) {
            EXPECT_EQ(results.at(r, 0), r <= 3 ? "1" : "2");
            EXPECT_EQ(results.at(r, 1), std::to_string((r - 1) % 3 + 1));
        }
        EXPECT_EQ(results.at(1, 2), "恒流放");
        EXPECT_EQ(results.at(5, 2), "搁置");
        EXPECT_EQ(results.at(5, 3), "0.000");
        EXPECT_EQ(results.at(5, 5), "00:01:00");
        EXPECT_TRUE(results.rows < 8 || results.at(7, 0).empty());
        EXPECT_TRUE(station.run.slots[s].testFinished);
    }
    EXPECT_EQ(station.ui.gridView.at(1, 9), "完成");

    // The backups of channel 2-3 (device index 1, channel 2), byte for byte where the layout is fixed.
    std::string base = home.path() + "/klv-com1-2-3";
    std::string bk1 = rawBytes(base + ".bk1");
    std::string header1 = utf8ToGbk(std::string("设备:TAL-M5\r\n通道:2-3\r\n") + kBanner +
                                    "\r\n循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)\r\n");
    ASSERT_EQ(bk1.substr(0, header1.size()), header1);
    std::vector<std::string> rows = lines(base + ".bk1");
    ASSERT_EQ(rows.size(), 10u);
    std::regex row(R"(([12])\t([123])\t(恒流放|搁置|恒压充)\t\d+\.\d{3}\t\d+\.\d{3}\t\d{2,}:\d{2}:\d{2})");
    for (int r = 0; r < 6; ++r) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(rows[4 + r], m, row)) << rows[4 + r];
        EXPECT_EQ(m[1], r < 3 ? "1" : "2");
        EXPECT_EQ(m[2], std::to_string(r % 3 + 1));
    }
    std::vector<std::string> bk0 = lines(base + ".bk0");
    std::vector<std::string> header0{"设备:TAL-M5",
                                     "通道:2-3",
                                     "工步:1\t恒流放\t01.00\t02.75\t00.00\t0",
                                     "工步:2\t搁置\t00.00\t00.00\t00.00\t1",
                                     "工步:3\t恒压充\t01.00\t04.20\t00.05\t0",
                                     "工步:4\t循环\t00.00\t00.00\t00.00\t2",
                                     kBanner,
                                     "Time(S)\tCur(A)\tVol(V)"};
    ASSERT_GT(bk0.size(), header0.size() + 100);
    EXPECT_EQ(std::vector<std::string>(bk0.begin(), bk0.begin() + 8), header0);
    std::regex sample(R"(\d+\t\d\.\d{3}\t\d\.\d{3})");
    for (size_t i = 8; i < bk0.size(); ++i)
        ASSERT_TRUE(std::regex_match(bk0[i], sample)) << bk0[i];
    std::string raw0 = rawBytes(base + ".bk0");
    EXPECT_EQ(std::count(raw0.begin(), raw0.end(), '\n'), std::count(raw0.begin(), raw0.end(), '\r'));

    // The auto-saved files load back to what was recorded.
    int dats = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data")) {
        std::string path = entry.path().string();
        if (path.size() < 8 || path.substr(path.size() - 8) != "-2-3.dat")
            continue;
        ++dats;
        LoadedData loaded = loadDataFile(path);
        EXPECT_TRUE(loaded.complete);
        EXPECT_EQ(loaded.title, "TAL-M5 2-3");
        const CurveGraph& graph = station.ui.graphs[1];
        ASSERT_EQ(static_cast<int>(loaded.records.size()), graph.DpCnt(4));
        for (size_t i = 0; i < loaded.records.size(); i += 97) {
            EXPECT_EQ(loaded.records[i].seconds, static_cast<int>(graph.DpX(4, static_cast<int>(i))));
            EXPECT_FLOAT_EQ(loaded.records[i].voltage, graph.DpY(4, static_cast<int>(i)));
            EXPECT_FLOAT_EQ(loaded.records[i].current, graph.DpY(5, static_cast<int>(i)));
        }
        ASSERT_EQ(loaded.results.size(), 6u);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 6; ++c)
                EXPECT_EQ(loaded.results[r][c], station.run.slots[10].gridList.at(r + 1, c));
    }
    EXPECT_EQ(dats, 1);
}

TEST_F(WholeTest, AnInterruptedTestContinuesInANewStationFromItsBackups)
{
    begin();
    startChannel(station, 0);
    slots = {0};
    int seconds = 0;
    while (station.run.slots[0].currentStep < 3 && seconds < 4 * 3600) {
        second();
        ++seconds;
    }
    for (int i = 0; i < 120; ++i)  // well into the charge
        second();
    ASSERT_EQ(station.run.slots[0].currentStep, 3);
    ASSERT_EQ(station.run.slots[0].loopPass, 1);
    const float chargedBefore = station.link.slots[0].capacity;
    ASSERT_GT(chargedBefore, 0.0f);

    // The station goes away; a new one on the same folder and bench continues.
    auto next = std::make_unique<Station>(home.path(), port, clock, pump);
    port.close();
    Station& again = *next;
    startUpStation(again);
    ASSERT_EQ(connectBench(again, 1, scanRange(1, 6)), ConnectResult::Connected);
    installLiveData(again);
    again.run.autoSave = true;
    continueChannel(again, 0);
    const RunSlot& run = again.run.slots[0];
    EXPECT_TRUE(run.busy);
    EXPECT_EQ(run.currentStep, 3);
    EXPECT_EQ(run.loopPass, 1);
    EXPECT_EQ(run.gridList.at(1, 2), "恒流放");
    EXPECT_EQ(run.gridList.at(2, 2), "搁置");
    EXPECT_TRUE(run.gridList.at(3, 0).empty());
    EXPECT_EQ(again.program.gridRun[0].at(3, 1), "恒压充");
    EXPECT_EQ(again.program.loopCount[0], 2);
    EXPECT_NEAR(again.link.slots[0].capacityWrap, chargedBefore, 0.01);  // charge sums from the samples
    EXPECT_GT(run.stepSeconds, 100);

    seconds = 0;
    while (run.busy && seconds < 4 * 3600) {
        std::uint32_t started = clock.milliseconds();
        pollTick(again);
        runTick(again);
        finishSecond(started);
        ++seconds;
    }
    ASSERT_FALSE(run.busy);
    std::vector<std::string> rows = lines(home.path() + "/klv-com1-1-1.bk1");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[6].substr(0, 4), "1\t3\t");
    EXPECT_EQ(rows[9].substr(0, 4), "2\t3\t");
    int runs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data")) {
        std::string path = entry.path().string();
        if (path.size() > 8 && path.substr(path.size() - 8) == "-1-1.run") {
            ++runs;
            EXPECT_EQ(lines(path).size(), 10u);
        }
    }
    EXPECT_EQ(runs, 1);
}
