#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/channel_fixture.h"
#include "run/channel_menu.h"
#include "run/channel_ops.h"
#include "run/run_engine.h"

using namespace klv;

namespace {

using Lines = std::vector<std::string>;

const Lines kThreeSteps{"工步:1\t恒流放\t01.00\t02.75\t00.00\t0", "工步:2\t搁置\t00.00\t00.00\t00.00\t1",
                        "工步:3\t恒压充\t00.50\t04.20\t00.05\t0"};
const Lines kResultHeader{"设备:TAL-M5", "通道:3-1", "----------www.cellward.example--------------",
                          "循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)"};

// What an operation may change, over the slots of the two devices.
struct Snapshot {
    std::vector<bool> busy;
    std::vector<int> commands, currentSteps, points;
    std::vector<std::vector<std::string>> results, steps;
    bool operator==(const Snapshot&) const = default;
};

struct ChannelOpsTest : ChannelFixture {
    ChannelOpsTest()
    {
        // Device 0 at bus address 2 without its second channel, device 1 at bus address 4.
        bus.addUnit(2, 22, {true, false, true, true, true, true, true, true});
        bus.addUnit(4, 22);
        EXPECT_EQ(connect(), ConnectResult::Connected);
        for (int s = 0; s < 2 * kChannelsPerDevice; ++s)
            loadProgram(s, {{"恒流放", "01.00", "02.75", "00.00", "0"}});
    }
    RunSlot& run(int slot) { return station.run.slots[slot]; }
    TextGrid& steps(int slot) { return station.program.gridRun[slot]; }
    void writeBackup(int d, int n, const std::string& ext, const Lines& lines)
    {
        ASSERT_TRUE(writeLines(backupBase(d, n) + ext, lines));
    }
    // A results table holding an old test: a title row and two more rows than at start.
    void fillResults(int slot)
    {
        TextGrid& results = run(slot).gridList;
        results.resize(kResultRowsAtStart + 2, kResultColumns);
        results.at(0, 0) = "循环";
        results.at(1, 0) = "1";
        results.at(12, 5) = "00:00:09";
    }
    Snapshot snapshot()
    {
        Snapshot snap;
        for (int s = 0; s < 2 * kChannelsPerDevice; ++s) {
            snap.busy.push_back(run(s).busy);
            snap.commands.push_back(station.link.slots[s].command);
            snap.currentSteps.push_back(run(s).currentStep);
            snap.points.push_back(station.ui.graphs[s / 8].DpCnt(2 * (s % 8)));
            snap.results.push_back(run(s).gridList.cells);
            snap.steps.push_back(steps(s).cells);
        }
        return snap;
    }
};

}  // namespace

TEST_F(ChannelOpsTest, CancelInAnyBoxChangesNothingAndLogsNothing)
{
    for (int s = 0; s < 2 * kChannelsPerDevice; ++s)
        fillResults(s);
    run(slotOf(1, 3)).busy = true;
    station.ui.graphs[1].AddXY(6, 1, 3.9f);
    station.ui.panels[0].tiles[2].sel = true;
    station.ui.panels[1].tiles[3].sel = true;
    writeBackup(1, 3, ".bk0", kThreeSteps);
    writeBackup(1, 3, ".bk1", kResultHeader);
    station.ui.currentDevice = 1;
    station.ui.selectedChannel = 3;
    messages.answer = MsgResult::Cancel;
    const Snapshot before = snapshot();

    for (ChannelOp op : {ChannelOp::Start, ChannelOp::Continue, ChannelOp::Stop})
        for (OpScope scope : {OpScope::Device, OpScope::Channel, OpScope::Selected})
            EXPECT_FALSE(runMenuOp(station, op, scope));

    EXPECT_TRUE(snapshot() == before);
    EXPECT_TRUE(station.ui.history.empty());
    EXPECT_TRUE(sysLogLines().empty());
    // Device texts count device indexes from 1; channel texts name the bus address.
    const Lines expected{"启动设备2所有通道？", "启动通道5-4？", "启动选中通道？",
                         "继续设备2所有通道？", "继续通道5-4？", "继续选中通道？",
                         "停止设备2所有通道？", "停止通道5-4？", "停止选中通道？"};
    ASSERT_EQ(messages.shown.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messages.shown[i].text, expected[i]);
        EXPECT_EQ(messages.shown[i].icon, MsgIcon::Information);
    }
}

TEST_F(ChannelOpsTest, DeviceStartSkipsAbsentTilesAndSelectedStartTakesTheSelection)
{
    for (int s = 0; s < 2 * kChannelsPerDevice; ++s)
        fillResults(s);
    station.ui.currentDevice = 0;

    ASSERT_TRUE(runMenuOp(station, ChannelOp::Start, OpScope::Device));
    EXPECT_EQ(messages.shown.back().text, "启动设备1所有通道？");
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        SCOPED_TRACE(n);
        const bool present = n != 1;
        const TextGrid& results = run(slotOf(0, n)).gridList;
        EXPECT_EQ(run(slotOf(0, n)).busy, present);
        EXPECT_EQ(results.rows, present ? kResultRowsAtStart : kResultRowsAtStart + 2);
        EXPECT_EQ(results.at(1, 0), present ? "" : "1");
        EXPECT_EQ(results.at(0, 0), "循环");
        EXPECT_FALSE(run(slotOf(1, n)).busy);
    }
    const Lines history{now() + "  启动设备1"};
    EXPECT_EQ(station.ui.history, history);
    EXPECT_EQ(sysLogLines(), history);

    station.ui.panels[1].tiles[0].sel = true;
    station.ui.panels[1].tiles[6].sel = true;
    ASSERT_TRUE(runMenuOp(station, ChannelOp::Start, OpScope::Selected));
    for (int n = 0; n < kChannelsPerDevice; ++n)
        EXPECT_EQ(run(slotOf(1, n)).busy, n == 0 || n == 6) << n;
    EXPECT_EQ(run(slotOf(1, 6)).gridList.at(1, 0), "");
    EXPECT_EQ(run(slotOf(1, 5)).gridList.at(1, 0), "1");
    EXPECT_EQ(station.ui.history.back(), now() + "  启动选中通道");
}

TEST_F(ChannelOpsTest, ChannelStartBeginsAFreshTestWithNewBackups)
{
    const int slot = slotOf(1, 3);
    station.program.startStep[slot] = 2;
    RunSlot& r = run(slot);
    r.busy = true;
    r.resume = true;
    r.phase = kPhaseRunning;
    r.currentStep = 3;
    r.loopPass = 2;
    r.stepSeconds = 50;
    r.testSeconds = 500;
    r.energyOffset = 1.5f;
    r.timeAxisEnd = 500;
    r.volTop = 4.2f, r.volBottom = 3.0f, r.curTop = 1.1f, r.curBottom = 0.9f;
    SlotLink& link = station.link.slots[slot];
    link.capacity = 1, link.capacityWrap = 2, link.energy = 3;
    CurveGraph& graph = station.ui.graphs[1];
    graph.AddXY(6, 10, 3.9f);
    graph.AddXY(7, 10, 1.0f);
    graph.AddXY(0, 10, 3.8f);
    graph.setMinX(100);
    fillResults(slot);
    station.ui.currentDevice = 1;
    station.ui.selectedChannel = 3;

    runConfirmedOp(station, ChannelOp::Start, OpScope::Channel);
    EXPECT_EQ(station.ui.history.back(), now() + "  启动通道5-4");
    EXPECT_TRUE(r.busy);
    EXPECT_FALSE(r.resume);
    EXPECT_EQ(r.phase, kPhaseLoad);
    EXPECT_EQ(r.currentStep, 2);
    EXPECT_EQ(r.loopPass, 1);
    EXPECT_EQ(r.stepSeconds, 0);
    EXPECT_EQ(r.testSeconds, 0);
    EXPECT_EQ(r.energyOffset, 0);
    EXPECT_EQ(r.timeAxisEnd, 0);
    EXPECT_EQ(r.volTop + r.volBottom + r.curTop + r.curBottom, 0);
    EXPECT_EQ(link.capacity + link.capacityWrap + link.energy, 0);
    EXPECT_EQ(graph.DpCnt(6) + graph.DpCnt(7), 0);
    EXPECT_EQ(graph.DpCnt(0), 1);
    EXPECT_EQ(graph.MinX(), 0);
    EXPECT_EQ(r.gridList.at(1, 0), "");
    // The backup files are named by device index, not by bus address.
    EXPECT_EQ(r.backupBase, backupBase(1, 3));
    EXPECT_TRUE(fileExists(backupBase(1, 3) + ".bk0"));
    EXPECT_TRUE(fileExists(backupBase(1, 3) + ".bk1"));

    station.program.startStep[slot] = 0;
    startChannel(station, slot);
    EXPECT_EQ(r.currentStep, 1);

    // An absent tile is not started, but its results table is emptied all the same.
    station.ui.currentDevice = 0;
    station.ui.selectedChannel = 1;
    fillResults(slotOf(0, 1));
    runConfirmedOp(station, ChannelOp::Start, OpScope::Channel);
    EXPECT_FALSE(run(slotOf(0, 1)).busy);
    EXPECT_TRUE(run(slotOf(0, 1)).backupBase.empty());
    EXPECT_EQ(run(slotOf(0, 1)).gridList.at(1, 0), "");
}

TEST_F(ChannelOpsTest, VoltageErrorRefusesStartAndContinue)
{
    const int slot = slotOf(0, 2);
    run(slot).voltageError = true;
    station.ui.graphs[0].AddXY(4, 10, 4.8f);
    writeBackup(0, 2, ".bk0", kThreeSteps);
    writeBackup(0, 2, ".bk1", kResultHeader);
    station.ui.currentDevice = 0;
    station.ui.selectedChannel = 2;

    ASSERT_TRUE(runMenuOp(station, ChannelOp::Start, OpScope::Channel));
    ASSERT_TRUE(runMenuOp(station, ChannelOp::Continue, OpScope::Channel));
    const Lines history{now() + "  启动通道3-3", now() + "  启动通道3-3出错", now() + "  继续通道3-3",
                        now() + "  继续通道3-3出错"};
    EXPECT_EQ(station.ui.history, history);
    EXPECT_EQ(sysLogLines(), history);
    EXPECT_FALSE(run(slot).busy);
    EXPECT_TRUE(run(slot).backupBase.empty());
    EXPECT_EQ(station.ui.graphs[0].DpCnt(4), 1);
    // The refused start made no backups: the old ones are still there to continue from.
    EXPECT_EQ(readLines(backupBase(0, 2) + ".bk0"), kThreeSteps);
    EXPECT_EQ(steps(slot).at(1, kColMode), "");
}

TEST_F(ChannelOpsTest, TestInterruptedInItsThirdStepResumesThere)
{
    Lines bk0{"设备:TAL-M5", "通道:3-1"};
    bk0.insert(bk0.end(), kThreeSteps.begin(), kThreeSteps.end());
    bk0.insert(bk0.end(), {"----------www.cellward.example--------------", "Time(S)\tCur(A)\tVol(V)", "2\t1.000\t3.900",
                           "4\t1.000\t3.800", "6\t1.000\t3.700", "8\t0.000\t3.750", "10\t0.000\t3.760",
                           "60\t0.000\t3.770", "64\t0.500\t3.900", "66\t0.500\t4.000", "68\t0.500\t4.100"});
    writeBackup(0, 0, ".bk0", bk0);
    Lines bk1 = kResultHeader;
    bk1.insert(bk1.end(), {"1\t1\t恒流放\t0.002\t0.007\t00:00:06", "1\t2\t搁置\t0.000\t0.000\t00:01:00"});
    writeBackup(0, 0, ".bk1", bk1);
    const int slot = slotOf(0, 0);
    loadProgram(slot, {{"恒压充", "00.10", "03.60", "00.05", "0"}, {"恒流放", "00.10", "02.00", "00.00", "0"}});
    station.program.startStep[slot] = 2;
    station.ui.currentDevice = 0;
    station.ui.selectedChannel = 0;

    ASSERT_TRUE(runMenuOp(station, ChannelOp::Continue, OpScope::Channel));
    EXPECT_EQ(station.ui.history.back(), now() + "  继续通道3-1");
    RunSlot& r = run(slot);
    EXPECT_TRUE(r.busy);
    EXPECT_TRUE(r.resume);
    EXPECT_EQ(r.phase, kPhaseLoad);
    EXPECT_EQ(r.currentStep, 3);
    EXPECT_EQ(r.loopPass, 1);
    EXPECT_EQ(r.backupBase, backupBase(0, 0));
    EXPECT_EQ(station.program.startStep[slot], 1);
    EXPECT_EQ(station.program.stepCount[slot], 3);
    EXPECT_EQ(station.program.loopCount[slot], 1);
    EXPECT_EQ(steps(slot).at(3, kColMode), "恒压充");
    EXPECT_EQ(steps(slot).at(2, kColStepNo), "2");
    EXPECT_EQ(steps(slot).at(4, kColMode), "");
    EXPECT_FLOAT_EQ(station.program.upperVoltageLimit[slot], 4.4f);
    EXPECT_FLOAT_EQ(station.program.lowerVoltageLimit[slot], 2.55f);

    // The rest stretch ended the sums; the charge from 60 s on is what the step had done.
    EXPECT_FLOAT_EQ(station.link.slots[slot].capacityWrap, static_cast<float>(4.0 / 3600));
    EXPECT_FLOAT_EQ(r.energyOffset, static_cast<float>(15.9 / 3600));
    EXPECT_EQ(r.stepSeconds, 8);
    EXPECT_EQ(r.testSeconds, 68);
    EXPECT_EQ(station.ui.graphs[0].DpCnt(0), 9);

    EXPECT_EQ(r.gridList.rows, kResultRowsAtStart + 2);
    EXPECT_EQ(r.gridList.at(1, 2), "恒流放");
    EXPECT_EQ(r.gridList.at(2, 5), "00:01:00");
    EXPECT_EQ(r.gridList.at(3, 0), "");

    // The next run tick opens row 3 for the step and keeps the seconds it had done.
    runTick(station);
    EXPECT_EQ(r.gridList.at(3, 0), "1");
    EXPECT_EQ(r.gridList.at(3, 1), "3");
    EXPECT_EQ(r.gridList.at(3, 2), "恒压充");
    EXPECT_EQ(r.resumedStepSeconds, 8);
    EXPECT_FALSE(r.resume);
}

TEST_F(ChannelOpsTest, ContinueAfterTheLastStepOfTheLastPassStaysIdle)
{
    const Lines bk0{"工步:1\t恒流放\t01.00\t02.75\t00.00\t0", "工步:2\t恒压充\t00.50\t04.20\t00.05\t0",
                    "工步:3\t循环\t00.00\t00.00\t00.00\t2"};
    Lines bk1 = kResultHeader;
    bk1.insert(bk1.end(), {"1\t1\t恒流放\t1.000\t3.700\t01:00:00", "1\t2\t恒压充\t1.000\t4.000\t01:10:00",
                           "2\t1\t恒流放\t0.990\t3.650\t00:59:00"});
    // Channel 2 stopped in the last step; channel 3 had finished it.
    writeBackup(0, 2, ".bk0", bk0);
    writeBackup(0, 2, ".bk1", bk1);
    bk1.push_back("2\t2\t恒压充\t0.990\t3.950\t01:09:00");
    writeBackup(0, 3, ".bk0", bk0);
    writeBackup(0, 3, ".bk1", bk1);
    station.ui.panels[0].tiles[2].sel = true;
    station.ui.panels[0].tiles[3].sel = true;

    ASSERT_TRUE(runMenuOp(station, ChannelOp::Continue, OpScope::Selected));
    EXPECT_TRUE(run(slotOf(0, 2)).busy);
    EXPECT_EQ(run(slotOf(0, 2)).currentStep, 2);
    EXPECT_EQ(run(slotOf(0, 2)).loopPass, 2);

    const RunSlot& done = run(slotOf(0, 3));
    EXPECT_FALSE(done.busy);
    EXPECT_FALSE(done.resume);
    EXPECT_TRUE(done.backupBase.empty());
    EXPECT_EQ(done.loopPass, 3);
    EXPECT_EQ(done.gridList.at(4, 5), "01:09:00");
    EXPECT_FLOAT_EQ(station.program.upperVoltageLimit[slotOf(0, 3)], 4.4f);
}

TEST_F(ChannelOpsTest, UnreadableNumberEndsContinueWithTheChannelIdle)
{
    Lines bk1 = kResultHeader;
    bk1.insert(bk1.end(), {"1\t1\t恒流放\t1.000\t3.700\t01:00:00"});
    // Channel 0: the sample file breaks off, so the results are never read.
    writeBackup(0, 0, ".bk0", {kThreeSteps[0], "2\t1.000\t3.900", "4\t1.000\t3,800", kThreeSteps[1]});
    writeBackup(0, 0, ".bk1", bk1);
    // Channel 2: the results break off after their first row.
    writeBackup(0, 2, ".bk0", kThreeSteps);
    bk1.push_back("1\t2\t搁置\t0.000\t0.000\t00:01:xx");
    bk1.push_back("1\t二\t搁置\t0.000\t0.000\t00:01:00");
    writeBackup(0, 2, ".bk1", bk1);
    for (int n : {0, 2}) {
        station.program.upperVoltageLimit[slotOf(0, n)] = 9;
        continueChannel(station, slotOf(0, n));
    }

    const int first = slotOf(0, 0);
    EXPECT_FALSE(run(first).busy);
    EXPECT_EQ(steps(first).at(1, kColMode), "恒流放");
    EXPECT_EQ(steps(first).at(2, kColMode), "");
    EXPECT_EQ(station.ui.graphs[0].DpCnt(0), 1);
    EXPECT_EQ(station.link.slots[first].capacityWrap, 0);
    EXPECT_EQ(run(first).gridList.at(1, 0), "");
    EXPECT_EQ(station.program.upperVoltageLimit[first], 9);

    const int second = slotOf(0, 2);
    EXPECT_FALSE(run(second).busy);
    EXPECT_TRUE(run(second).backupBase.empty());
    EXPECT_EQ(run(second).gridList.at(2, 5), "00:01:xx");
    EXPECT_EQ(run(second).gridList.at(3, 0), "");
    EXPECT_EQ(station.program.upperVoltageLimit[second], 9);
}

TEST_F(ChannelOpsTest, DeviceContinueEmptiesEveryChannelAndRestoresOnlyWhatExists)
{
    for (int n = 0; n < kChannelsPerDevice; ++n)
        fillResults(slotOf(0, n));
    writeBackup(0, 0, ".bk0", {kThreeSteps[0], kThreeSteps[2], "2\t0.500\t3.900", "4\t0.500\t4.000"});
    Lines bk1 = kResultHeader;
    bk1.push_back("1\t1\t恒流放\t1.000\t3.700\t01:00:00");
    writeBackup(0, 2, ".bk1", bk1);
    // Its results alone would place the test at step 2 of 3, still under way.
    station.program.stepCount[slotOf(0, 2)] = 3;
    station.ui.currentDevice = 0;

    ASSERT_TRUE(runMenuOp(station, ChannelOp::Continue, OpScope::Device));
    EXPECT_EQ(station.ui.history.back(), now() + "  继续设备1");
    for (int n = 0; n < kChannelsPerDevice; ++n)
        EXPECT_FALSE(run(slotOf(0, n)).busy) << n;

    // Samples only: program, sums and voltage window come back.
    EXPECT_EQ(steps(slotOf(0, 3)).at(1, kColMode), "");
    EXPECT_EQ(steps(slotOf(0, 0)).at(3, kColMode), "恒压充");
    EXPECT_EQ(station.program.stepCount[0], 3);  // the number of the last step line
    EXPECT_FLOAT_EQ(station.link.slots[0].capacityWrap, static_cast<float>(2.0 / 3600));
    EXPECT_EQ(run(0).testSeconds, 4);
    EXPECT_FLOAT_EQ(station.program.lowerVoltageLimit[0], 2.55f);
    EXPECT_EQ(run(0).gridList.at(1, 0), "");

    // Results only: the rows come back, the emptied program stays empty.
    const int resultsOnly = slotOf(0, 2);
    EXPECT_EQ(run(resultsOnly).gridList.at(1, 2), "恒流放");
    EXPECT_EQ(steps(resultsOnly).at(1, kColMode), "");
    EXPECT_EQ(station.ui.graphs[0].DpCnt(4), 0);

    // Every table of the device is emptied, the absent channel's too, step numbers included.
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        const int slot = slotOf(0, n);
        if (n != 2) {
            EXPECT_EQ(run(slot).gridList.rows, kResultRowsAtStart) << n;
        }
        EXPECT_EQ(run(slot).gridList.at(0, 0), "循环") << n;
        EXPECT_EQ(steps(slot).at(10, kColStepNo), "") << n;
        EXPECT_EQ(steps(slot).at(0, kColStepNo), "工步") << n;
    }
    EXPECT_EQ(steps(slotOf(0, 1)).at(1, kColMode), "");
}

TEST_F(ChannelOpsTest, StopQueuesTheStopResetsTheRowColoursAndSaves)
{
    ASSERT_TRUE(makeFolder(home.path() + "/Data"));
    station.run.autoSave = true;
    const int slot = slotOf(1, 3);
    run(slot).busy = true;
    run(slot).stepRowColor[3] = 0x0000FF;
    station.ui.graphs[1].AddXY(6, 2, 3.9f);
    station.ui.graphs[1].AddXY(7, 2, 1.0f);
    station.ui.currentDevice = 1;
    station.ui.selectedChannel = 3;

    ASSERT_TRUE(runMenuOp(station, ChannelOp::Stop, OpScope::Channel));
    EXPECT_EQ(station.ui.history.back(), now() + "  停止通道5-4");
    EXPECT_EQ(station.link.slots[slot].command, kQueueStop);
    EXPECT_FALSE(run(slot).busy);
    for (int row = 1; row <= kStepRows; ++row)
        EXPECT_EQ(run(slot).stepRowColor[row], kColorButtonFace) << row;
    std::vector<std::string> saved;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data"))
        saved.push_back(entry.path().filename().string());
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_TRUE(saved[0].ends_with("-5-4.dat") || saved[1].ends_with("-5-4.dat"));

    // The device's stop passes over the absent tile; the selection's stop takes the selected only.
    station.run.autoSave = false;
    station.ui.currentDevice = 0;
    station.ui.panels[1].tiles[5].sel = true;
    ASSERT_TRUE(runMenuOp(station, ChannelOp::Stop, OpScope::Device));
    ASSERT_TRUE(runMenuOp(station, ChannelOp::Stop, OpScope::Selected));
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        EXPECT_EQ(station.link.slots[slotOf(0, n)].command == kQueueStop, n != 1) << n;
        EXPECT_EQ(station.link.slots[slotOf(1, n)].command == kQueueStop, n == 3 || n == 5) << n;
    }
    station.ui.selectedChannel = 1;
    station.link.slots[slotOf(0, 1)].command = kQueueNothing;
    runConfirmedOp(station, ChannelOp::Stop, OpScope::Channel);
    EXPECT_EQ(station.link.slots[slotOf(0, 1)].command, kQueueNothing);
}
