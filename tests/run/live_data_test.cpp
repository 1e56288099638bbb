#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "link/connection.h"
#include "program/step_tables.h"
#include "run/curve_plot.h"
#include "run/display_update.h"
#include "run/lab_feed.h"
#include "run/live_data.h"
#include "support/bench_fixture.h"
#include "view/station_startup.h"

using namespace klv;

namespace {

struct LiveDataTest : BenchFixture {
    static constexpr int kSlot = 3;  // device index 0, channel 3
    SlotLink& link = station.link.slots[kSlot];
    RunSlot& run = station.run.slots[kSlot];
    TileState& tile = station.ui.panels[0].tiles[3];
    DeviceEntry& dev = station.link.devices[0];
    CurveGraph& graph = station.ui.graphs[0];

    void SetUp() override
    {
        dev = test::deviceOfModel(22);  // TAL-M5: 4.5 V, scales 1000
        resetGridView(station);
        graph.setCurveCount(16);
        station.program.upperVoltageLimit[kSlot] = 4.4f;
        station.program.lowerVoltageLimit[kSlot] = 2.7f;
    }
    void reads(float volts, float amps, bool running = false)
    {
        link.voltage = volts;
        link.current = amps;
        link.running = running;
    }
    std::string grid(int col) { return station.ui.gridView.at(kSlot + 1, col); }
    std::vector<std::string> bk0() { return readLines(run.backupBase + ".bk0").value_or(std::vector<std::string>{}); }
    std::string lastLog()
    {
        auto log = klvLogLines();
        return log.empty() ? "" : log.back();
    }
};

// What the backup held each time the lab was told of a sample.
struct BackupAtEachSample : LabFeed {
    const std::string& base;
    std::vector<size_t> backedUp;
    explicit BackupAtEachSample(const std::string& backupBase) : base(backupBase) {}
    void testStarted(int, bool) override {}
    void sampleRecorded(int) override
    {
        backedUp.push_back(readLines(base + ".bk0").value_or(std::vector<std::string>{}).size());
    }
    void stepCompleted(int, int) override {}
    void testEnded(int, bool) override {}
    void runTicked() override {}
    std::int64_t waitingRows() const override { return 0; }
};

}  // namespace

TEST_F(LiveDataTest, TilesAndTheListRowShowReadingsInTheirFormats)
{
    struct Amount {
        float reading, added;
        std::string text;
    };
    for (const Amount& a : {Amount{9.5f, 0, "9.500"}, Amount{0.5f, 10, "10.50"}, Amount{4.096f, 119.304f, "123.4"}}) {
        link.capacity = link.energy = a.reading;
        link.capacityWrap = run.energyOffset = a.added;
        displayUpdate(station, kSlot);
        EXPECT_EQ(tile.cap, a.text);
        EXPECT_EQ(tile.Wh, a.text);
    }
    reads(3.7f, 12.3f);
    displayUpdate(station, kSlot);
    EXPECT_EQ(tile.vol + " " + tile.cur, "3.700 12.30");
    EXPECT_EQ(grid(4) + " " + grid(5), "3.700 12.30");
    dev = test::deviceOfModel(31);  // TAL-M10: 120 V, readings to two decimals
    reads(105.26f, 1.5f);
    displayUpdate(station, kSlot);
    EXPECT_EQ(tile.vol + " " + tile.cur, "105.3 01.50");
    reads(5, 0);
    displayUpdate(station, kSlot);
    EXPECT_EQ(tile.vol, "05.00");
}

TEST_F(LiveDataTest, BusyChannelsShowTheirModeStepTimeAndResultRow)
{
    dev.busAddress = 2;
    run.busy = true;
    run.loopPass = 2;
    run.currentStep = 3;
    run.gridList.at(1, 0) = run.gridList.at(2, 0) = "1";
    link.capacity = 1.25f;
    link.energy = 4.5f;
    struct Look {
        int mode, color;
        std::string word, ah, wh;
        int seconds;
        std::string time;
    };
    for (const Look& l : {Look{kModeCharge, 255, "充电", "1.250", "4.500", 3725, "01:02:05"},
                          Look{kModeRest, 49344, "搁置", "0.000", "0.000", 90061, "25:01:01"},
                          Look{kModeDischarge, 0xC000, "放电", "1.250", "4.500", 59, "00:00:59"}}) {
        link.startMode = l.mode;
        run.stepSeconds = l.seconds;
        displayUpdate(station, kSlot);
        EXPECT_EQ(tile.Color, l.color);
        EXPECT_EQ(tile.Txt, "3-4  " + l.word);
        EXPECT_EQ(run.gridList.at(2, 3) + " " + run.gridList.at(2, 4) + " " + run.gridList.at(2, 5),
                  l.ah + " " + l.wh + " " + l.time);
        EXPECT_EQ(run.gridList.at(1, 3), "");
        EXPECT_EQ(grid(1) + grid(2) + grid(3) + grid(9), "23" + l.word + "测试");
        EXPECT_EQ(grid(6) + " " + grid(7) + " " + grid(8), "1.250 4.500 " + l.time);
    }
    // Five polls unanswered: the stale readings stay out of the results.
    dev.timeoutCount = 5;
    link.startMode = kModeCharge;
    link.capacity = 2;
    displayUpdate(station, kSlot);
    EXPECT_EQ(grid(3), "充电");
    EXPECT_EQ(run.gridList.at(2, 3), "1.250");
    EXPECT_EQ(grid(6), "1.250");
    EXPECT_EQ(tile.cap, "2.000");
}

TEST_F(LiveDataTest, IdleChannelsShowFinishedUntilTheBatteryIsTakenOut)
{
    run.testFinished = true;
    std::vector<std::string> shown;
    for (float volts : {3.7f, 0.5f, 3.7f}) {
        reads(volts, 0);
        displayUpdate(station, kSlot);
        EXPECT_EQ(tile.Color, 8421504);
        shown.push_back(tile.Txt + "/" + grid(9));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"1-4  完成/完成", "1-4  停止/停止", "1-4  停止/停止"}));
}

TEST_F(LiveDataTest, VoltageErrorIsRaisedAboveTheRatingAndOutsideTheChargeWindow)
{
    reads(4.6f, 0);
    displayUpdate(station, kSlot);
    displayUpdate(station, kSlot);
    EXPECT_TRUE(run.voltageError);
    EXPECT_EQ(tile.cap + tile.Wh, "电压出错");
    auto log = klvLogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[1].ends_with(":[ErrShowData(0-3) volerr:4.6 4.4 2.7]")) << log[1];
    // The flag holds until the output is off and no battery is read.
    for (auto [volts, running] : {std::pair{4.0f, false}, {0.3f, true}}) {
        reads(volts, 0, running);
        displayUpdate(station, kSlot);
        EXPECT_TRUE(run.voltageError);
    }
    reads(0.3f, 0, false);
    displayUpdate(station, kSlot);
    EXPECT_FALSE(run.voltageError);
    EXPECT_EQ(tile.cap, "0.000");

    // A charge leaving the window is an error only from ten seconds after the (resumed) start on.
    link.startMode = kModeCharge;
    run.resumedStepSeconds = 5;
    run.stepSeconds = 15;
    reads(2.5f, 1, true);
    displayUpdate(station, kSlot);
    EXPECT_FALSE(run.voltageError);
    run.stepSeconds = 16;
    displayUpdate(station, kSlot);
    EXPECT_TRUE(run.voltageError);
    EXPECT_TRUE(lastLog().ends_with("volerr:2.5 4.4 2.7]"));
    run.voltageError = false;
    link.startMode = kModeDischarge;
    displayUpdate(station, kSlot);
    EXPECT_FALSE(run.voltageError);

    dev.offline = true;
    displayUpdate(station, kSlot);
    EXPECT_EQ(tile.cap + tile.Wh, "通讯出错");
}

TEST_F(LiveDataTest, CurrentSnapsToTheSetCurrentOnModels24And25Only)
{
    link.startCurrent = 1.0f;
    struct Snap {
        int model;
        float reading;
        bool snapped;
    };
    for (const Snap& c : {Snap{24, 0.996f, true}, Snap{24, 1.006f, false}, Snap{25, 0.975f, true},
                          Snap{25, 1.029f, true}, Snap{25, 0.965f, false}, Snap{22, 0.999f, false}}) {
        dev = test::deviceOfModel(c.model);
        reads(3.7f, c.reading, true);
        displayUpdate(station, kSlot);
        EXPECT_EQ(link.current, c.snapped ? 1.0f : c.reading) << c.model << " " << c.reading;
    }
    EXPECT_EQ(tile.cur, "0.999");
}

TEST_F(LiveDataTest, ACurrentShortfallDuringAChargeRaisesTheCurrentError)
{
    link.startMode = kModeCharge;
    link.startCurrent = 1.0f;
    link.startVoltage = 4.2f;
    reads(3.5f, 0.3f, true);
    run.stepSeconds = 30;
    displayUpdate(station, kSlot);
    EXPECT_FALSE(run.currentError);
    run.stepSeconds = 31;
    displayUpdate(station, kSlot);
    displayUpdate(station, kSlot);
    EXPECT_TRUE(run.currentError);
    EXPECT_TRUE(lastLog().ends_with(":[ErrShowData(0-3) curerr:0.3]"));
    const size_t lines = klvLogLines().size();
    EXPECT_EQ(lines, 2u);
    for (auto [volts, amps] : {std::pair{3.5f, 0.6f}, {3.95f, 0.3f}}) {
        reads(volts, amps, true);
        displayUpdate(station, kSlot);
    }
    link.startMode = kModeDischarge;
    reads(3.5f, 0.3f, true);
    displayUpdate(station, kSlot);
    EXPECT_EQ(klvLogLines().size(), lines);
    EXPECT_TRUE(run.currentError);  // held while the output is on
    reads(3.5f, 0, false);
    displayUpdate(station, kSlot);
    EXPECT_FALSE(run.currentError);
}

TEST_F(LiveDataTest, RecordStepPlotsAndBacksUpSamplesWithinTheRatingOfBusyChannels)
{
    installLiveData(station);
    run.backupBase = home.path() + "/klv-com1-1-4";
    run.testSeconds = 12;
    reads(3.7f, 1.0f, true);
    station.onLiveData(kSlot);
    EXPECT_EQ(graph.DpCnt(6), 0);  // not busy
    run.busy = true;
    station.onLiveData(kSlot);
    reads(4.6f, 1.0f, true);
    run.testSeconds = 13;
    station.onLiveData(kSlot);
    ASSERT_EQ(graph.DpCnt(6), 1);
    EXPECT_EQ(graph.DpX(6, 0), 12.0f);
    EXPECT_EQ(graph.DpY(6, 0), 3.7f);
    EXPECT_EQ(graph.DpY(7, 0), 1.0f);
    EXPECT_EQ(bk0(), (std::vector<std::string>{"12\t1.000\t3.700"}));

    dev = test::deviceOfModel(31);  // readings to two decimals
    reads(3.456f, 1.234f, true);
    recordStep(station, kSlot);
    EXPECT_EQ(graph.DpY(6, 1), 3.46f);
    EXPECT_EQ(graph.DpY(7, 1), 1.23f);
    EXPECT_EQ(bk0().back(), "13\t01.23\t3.456");

    // The lab hears of a sample once the backup holds it, and of one the backup refused too:
    // the curve and the data file still have it.
    BackupAtEachSample lab(run.backupBase);
    station.lab = &lab;
    recordStep(station, kSlot);
    run.backupBase = home.path() + "/missing/klv-com1-1-4";
    recordStep(station, kSlot);
    station.lab = nullptr;
    EXPECT_EQ(lab.backedUp, (std::vector<size_t>{3, 0}));
    EXPECT_EQ(graph.DpCnt(6), 4);
}

TEST_F(LiveDataTest, PlottingMemoryKeepsATenthAroundTheReadingsAndAxesSpanTenStepMultiples)
{
    curveRoutine(station, kSlot, 5, 3.72f, 1.0f, false);
    curveRoutine(station, kSlot, 3, 4.02f, 0.05f, false);
    EXPECT_EQ(run.timeAxisEnd, 5);
    EXPECT_EQ(std::vector<float>({run.volTop, run.volBottom, run.curTop, run.curBottom}),
              std::vector<float>({4.1f, 3.6f, 1.1f, 0}));
    EXPECT_EQ(graph.DpCnt(6), 2);
    EXPECT_EQ(graph.MaxX(), 60);  // an unselected channel leaves the graph's axes alone

    struct Fit {
        float top, bottom, min, max;
    };
    for (const Fit& f : {Fit{3.8f, 3.6f, 3.45f, 3.95f}, Fit{0.3f, 0, 0, 0.5f}, Fit{4.3f, 3.8f, 3.8f, 4.3f},
                         Fit{4.4f, 0.5f, 0.5f, 4.5f}, Fit{1.1f, 0.9f, 0.75f, 1.25f}}) {
        run.volTop = run.curTop = f.top;
        run.volBottom = run.curBottom = f.bottom;
        fitAxes(station, kSlot);
        for (int axis : {0, 1}) {
            EXPECT_NEAR(graph.MinY(axis), f.min, 1e-5) << f.top << " " << f.bottom;
            EXPECT_NEAR(graph.MaxY(axis), f.max, 1e-5) << f.top << " " << f.bottom;
            EXPECT_EQ(std::lround((graph.MaxY(axis) - graph.MinY(axis)) / 0.05) % 10, 0);
        }
        EXPECT_EQ(run.volTop, f.top);
    }
    run.timeAxisEnd = 100;
    std::vector<float> ends;
    for (float before : {60.0f, 120.0f, 100.0f, 200.0f}) {
        graph.setMaxX(before);
        fitAxes(station, kSlot);
        ends.push_back(graph.MaxX());
    }
    EXPECT_EQ(ends, (std::vector<float>{130, 120, 100, 130}));
}

TEST_F(LiveDataTest, EachRecordOfASelectedChannelSwitchesTheGraphToIt)
{
    auto& tiles = station.ui.panels[0].tiles;
    tiles[2].sel = tiles[5].sel = true;
    for (int s : {2, 4, 5}) {
        station.run.slots[s].busy = true;
        station.link.slots[s].voltage = 3.7f;
    }
    auto shown = [&] {
        std::string curves, legends;
        for (int c = 0; c < 16; ++c) {
            curves += graph.ShowCurve(c) ? '1' : '0';
            legends += graph.ShowLegend(c) ? '1' : '0';
        }
        return curves + " " + legends;
    };
    recordStep(station, 2);
    EXPECT_EQ(shown(), "0000110000000000 0000000000000000");
    station.ui.showCurveLabels = true;
    recordStep(station, 5);
    EXPECT_EQ(shown(), "0000000000110000 0000000000110000");
    recordStep(station, 4);  // not selected: plotted, not shown
    EXPECT_EQ(shown(), "0000000000110000 0000000000110000");
    EXPECT_EQ(graph.DpCnt(8), 1);
    recordStep(station, 2);
    EXPECT_EQ(shown(), "0000110000000000 0000110000000000");
}

TEST_F(LiveDataTest, FailuresAreLoggedByTheRoutineThatMetThemAndKeepWhatWasDone)
{
    run.busy = true;
    run.backupBase = home.path() + "/klv-com1-1-4";
    reads(3.7f, 1.0f);
    graph.setCurveCount(2);
    recordStep(station, kSlot);
    auto log = klvLogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].ends_with("[ErrShowCurve(3)]curve index 6")) << log[0];
    EXPECT_TRUE(log[1].ends_with("[ErrShowData2(3)]curve index 6")) << log[1];
    EXPECT_TRUE(bk0().empty());

    // Time axis and start meet: the drawing fails, the point stays.
    graph.setCurveCount(16);
    graph.setMinX(30);
    curveRoutine(station, kSlot, 0, 3.7f, 1.0f, true);
    EXPECT_TRUE(lastLog().ends_with("[ErrShowCurve(3)]division by zero: empty range on a drawn curve")) << lastLog();
    EXPECT_EQ(graph.DpCnt(6), 1);

    run.backupBase = home.path() + "/missing/klv-com1-1-4";
    recordStep(station, kSlot);
    EXPECT_TRUE(lastLog().ends_with("[ErrBackup(" + run.backupBase + ".bk0)]cannot write")) << lastLog();

    station.ui.gridView = TextGrid{};
    reads(3.9f, 1.0f);
    displayUpdate(station, kSlot);
    EXPECT_NE(lastLog().find(":[ErrShowData(3)]"), std::string::npos) << lastLog();
    EXPECT_EQ(tile.vol, "3.900");
}
