#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/backup_restore.h"
#include "run/channel_fixture.h"

using namespace klv;

namespace {

using Lines = std::vector<std::string>;

struct BackupRestoreTest : ChannelFixture {
    BackupRestoreTest()
    {
        bus.addUnit(1, 22);  // TAL-M5: readings to three decimals
        EXPECT_EQ(connect(), ConnectResult::Connected);
    }
    std::string write(const std::string& name, const Lines& lines)
    {
        const std::string path = home.path() + "/" + name;
        EXPECT_TRUE(writeLines(path, lines));
        return path;
    }
    TextGrid& steps(int slot) { return station.program.gridRun[slot]; }
    RunSlot& run(int slot) { return station.run.slots[slot]; }
};

const std::string kBanner = "----------www.cellward.example--------------";

}  // namespace

TEST(BackupRestoreFlowSums, SumsCoverTheLastStretchOfCurrentFlow)
{
    FlowSums sums;
    sums.add(2, 1.0f, 4.0f);
    sums.add(4, 1.0f, 3.0f);
    EXPECT_DOUBLE_EQ(sums.ampSeconds(), 4.0);
    EXPECT_DOUBLE_EQ(sums.wattSeconds(), 14.0);
    EXPECT_EQ(sums.seconds(), 4);

    // One zero sample is a dip: the next flow counts from the last flowing sample.
    sums.add(6, 0.0f, 3.5f);
    sums.add(8, 2.0f, 3.0f);
    EXPECT_DOUBLE_EQ(sums.ampSeconds(), 12.0);
    EXPECT_DOUBLE_EQ(sums.wattSeconds(), 38.0);
    EXPECT_EQ(sums.seconds(), 8);

    // Two in a row end the stretch; each further zero moves its start on.
    sums.add(10, 0.0f, 3.2f);
    sums.add(12, 0.0f, 3.2f);
    EXPECT_EQ(sums.ampSeconds(), 0.0);
    EXPECT_EQ(sums.wattSeconds(), 0.0);
    EXPECT_EQ(sums.seconds(), 0);
    sums.add(14, 0.0f, 3.2f);
    sums.add(20, 0.5f, 4.0f);
    EXPECT_DOUBLE_EQ(sums.ampSeconds(), 3.0);
    EXPECT_DOUBLE_EQ(sums.wattSeconds(), 12.0);
    EXPECT_EQ(sums.seconds(), 6);
}

TEST_F(BackupRestoreTest, Bk0GivesBackStepsCurvesAndSums)
{
    const int slot = slotOf(0, 2);
    steps(slot).at(9, kColMode) = "搁置";
    const std::string path =
        write("a.bk0", {"设备:TAL-M5", "通道:1-3", "工步:1\t恒流放\t01.00\t02.75\t00.00\t0",
                        "工步:2\t恒压充\t00.50\t04.20\t00.05\t30", "工步:3\t循环\t00.00\t00.00\t00.00\t2",
                        "工步:", "工步:9", kBanner, "Time(S)\tCur(A)\tVol(V)", "2\t1.000\t3.900", "", "4\t1.000\t3.800",
                        "6\t0.000\t3.850", "8\t0.500\t3.950", "10\t0.500\t4.050"});

    ASSERT_EQ(restoreSamples(station, slot, path), RestoreOutcome::Restored);

    const TextGrid& table = steps(slot);
    EXPECT_EQ(table.at(2, kColStepNo), "2");
    EXPECT_EQ(table.at(2, kColSetVoltage), "04.20");
    EXPECT_EQ(table.at(2, kColTimeCount), "30");
    EXPECT_EQ(table.at(3, kColMode), "循环");
    // "工步:9" is too short to be a step line: row 9 keeps what it held.
    EXPECT_EQ(table.at(9, kColMode), "搁置");
    EXPECT_EQ(station.program.stepCount[slot], 2);
    EXPECT_EQ(station.program.loopCount[slot], 2);

    // Channel 2 draws on curves 4 and 5; the sample with an empty line before it is not lost.
    const CurveGraph& graph = station.ui.graphs[0];
    ASSERT_EQ(graph.DpCnt(4), 5);
    ASSERT_EQ(graph.DpCnt(5), 5);
    EXPECT_EQ(graph.DpCnt(0), 0);
    EXPECT_FLOAT_EQ(graph.DpX(4, 1), 4.0f);
    EXPECT_FLOAT_EQ(graph.DpY(4, 1), 3.8f);
    EXPECT_FLOAT_EQ(graph.DpX(5, 4), 10.0f);
    EXPECT_FLOAT_EQ(graph.DpY(5, 4), 0.5f);
    EXPECT_FALSE(graph.ShowCurve(4));

    // 7 A·s and 27.35 W·s over 10 s: the zero sample at 6 s was only a dip.
    EXPECT_FLOAT_EQ(station.link.slots[slot].capacityWrap, static_cast<float>(7.0 / 3600));
    EXPECT_FLOAT_EQ(run(slot).energyOffset, static_cast<float>(27.35 / 3600));
    EXPECT_EQ(run(slot).stepSeconds, 10);
    EXPECT_EQ(run(slot).testSeconds, 10);
}

TEST_F(BackupRestoreTest, ReplayOfASelectedChannelShowsItsCurves)
{
    const int slot = slotOf(0, 1);
    station.ui.panels[0].tiles[1].sel = true;
    const std::string path = write("b.bk0", {"工步:1\t恒流放\t01.00\t02.75\t00.00\t0", "Time(S)\tCur(A)\tVol(V)",
                                             "2\t1.000\t3.900", "4\t1.000\t3.800", "40\t1.000\t3.700"});
    station.ui.graphs[0].setShowCurve(0, true);
    station.ui.graphs[0].setMaxX(500);

    ASSERT_EQ(restoreSamples(station, slot, path), RestoreOutcome::Restored);
    const CurveGraph& graph = station.ui.graphs[0];
    EXPECT_TRUE(graph.ShowCurve(2));
    EXPECT_TRUE(graph.ShowCurve(3));
    EXPECT_FALSE(graph.ShowCurve(0));
    EXPECT_FLOAT_EQ(graph.MaxX(), 70.0f);  // the last time plotted and thirty seconds ahead
    EXPECT_EQ(run(slot).timeAxisEnd, 40);
}

TEST_F(BackupRestoreTest, LoopRowOnRowTenLeavesNineSteps)
{
    const int slot = slotOf(0, 0);
    Lines lines{"设备:TAL-M5", "通道:2-1"};
    for (int k = 1; k <= 9; ++k)
        lines.push_back("工步:" + std::to_string(k) + "\t搁置\t00.00\t00.00\t00.00\t1");
    lines.push_back("工步:10\t循环\t00.00\t00.00\t00.00\t7");
    lines.push_back(kBanner);

    ASSERT_EQ(restoreSamples(station, slot, write("c.bk0", lines)), RestoreOutcome::Restored);
    EXPECT_EQ(station.program.stepCount[slot], 9);
    EXPECT_EQ(station.program.loopCount[slot], 7);
    EXPECT_EQ(steps(slot).at(10, kColStepNo), "10");
    EXPECT_EQ(steps(slot).at(10, kColTimeCount), "7");
    // No samples: the sums and the test time start from nothing.
    EXPECT_EQ(run(slot).testSeconds, 0);
    EXPECT_EQ(run(slot).stepSeconds, 0);
}

TEST_F(BackupRestoreTest, UnreadableNumberStopsTheReadingAtItsLine)
{
    const std::vector<std::string> badLines{
        "4\t1.0x0\t3.800",                          // current
        "4\t1.000",                                 // no voltage
        "4s\t1.000\t3.800",                         // time
        "工步:x\t恒流放\t01.00\t02.75\t00.00\t0",   // step number
        "工步:11\t恒流放\t01.00\t02.75\t00.00\t0",  // a row the table does not have
        "工步:0\t恒流放\t01.00\t02.75\t00.00\t0",
        "工步:2\t循环\t00.00\t00.00\t00.00",  // a loop row without its count
    };
    for (size_t i = 0; i < badLines.size(); ++i) {
        SCOPED_TRACE(badLines[i]);
        const int slot = slotOf(0, static_cast<int>(i));
        run(slot).testSeconds = 99;
        station.link.slots[slot].capacityWrap = 9;
        const std::string path = write("bad" + std::to_string(i) + ".bk0",
                                       {"工步:1\t恒流放\t01.00\t02.75\t00.00\t0", "2\t1.000\t3.900", badLines[i],
                                        "工步:3\t搁置\t00.00\t00.00\t00.00\t1", "6\t1.000\t3.700"});

        EXPECT_EQ(restoreSamples(station, slot, path), RestoreOutcome::Unreadable);
        EXPECT_EQ(steps(slot).at(1, kColMode), "恒流放");
        EXPECT_EQ(steps(slot).at(3, kColMode), "");
        EXPECT_EQ(station.ui.graphs[0].DpCnt(2 * static_cast<int>(i)), 1);
        EXPECT_EQ(run(slot).testSeconds, 99);
        EXPECT_EQ(station.link.slots[slot].capacityWrap, 9.0f);
    }
}
