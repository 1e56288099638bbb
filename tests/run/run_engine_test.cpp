#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "link/command_set.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "program/step_program.h"
#include "program/step_tables.h"
#include "run/backup_files.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "support/bench_fixture.h"
#include "view/station_startup.h"

using namespace klv;
using test::StepRowTexts;

namespace {

const std::string kDischarge = "恒流放", kCharge = "恒压充", kRest = "搁置";
using Lines = std::vector<std::string>;

long countOf(const Lines& lines, const std::string& text)
{
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// The engine on its tables: the test plays the device through the readings and the running flag.
struct RunEngineTest : BenchFixture {
    static constexpr int kSlot = 3;  // device index 0, channel 3
    SlotLink& link(int slot = kSlot) { return station.link.slots[slot]; }
    RunSlot& run(int slot = kSlot) { return station.run.slots[slot]; }

    void SetUp() override
    {
        station.link.devices[0] = test::deviceOfModel(22);  // TAL-M5: 4.5 V
        resetGridView(station);
        station.ui.graphs[0].setCurveCount(16);
    }
    // A started test: the program applied, the channel busy at step 1 of pass 1.
    void begin(std::initializer_list<StepRowTexts> rows, int slot = kSlot, const std::string& backup = "")
    {
        station.program.gridRun[slot] = test::stepTable(rows);
        StepCounts counts = countSteps(station.program.gridRun[slot]);
        station.program.stepCount[slot] = counts.stepCount;
        station.program.loopCount[slot] = counts.loopCount;
        station.ui.panels[slot / 8].Conn[slot % 8] = true;
        run(slot) = RunSlot{};
        run(slot).busy = true;
        run(slot).backupBase = backup;
    }
    // What the next poll sends, which empties the command slot.
    int takeCommand(int slot = kSlot) { return std::exchange(link(slot).command, int(kQueueNothing)); }
    void device(bool running, float volts, float amps, int slot = kSlot)
    {
        link(slot).running = running;
        link(slot).voltage = volts;
        link(slot).current = amps;
    }
    Lines column(int col)
    {
        Lines cells;
        for (int r = 1; r < run().gridList.rows && !run().gridList.at(r, 0).empty(); ++r)
            cells.push_back(run().gridList.at(r, col));
        return cells;
    }
};

}  // namespace

TEST_F(RunEngineTest, LoadingAStepSetsItsStartResultRowAndColours)
{
    begin({{kDischarge, "01.00", "02.75", "00.05", "1.5"}, {kCharge, "00.50", "04.20", "00.05", "0"}});
    link().capacity = link().capacityWrap = link().energy = run().energyOffset = 1;
    run().stepSeconds = 77;
    runTick(station);
    EXPECT_EQ(link().startMode, kModeDischarge);
    EXPECT_EQ(std::vector<float>({link().startCurrent, link().startVoltage, link().startEndCurrent}),
              std::vector<float>({1.0f, 2.75f, 0.05f}));
    EXPECT_EQ(run().stepTimeLimit, 90);
    EXPECT_EQ(takeCommand(), kQueueStart);
    EXPECT_EQ(run().phase, kPhaseStarting);
    EXPECT_EQ(run().stepSeconds, 0);
    EXPECT_EQ(link().capacity + link().capacityWrap + link().energy + run().energyOffset, 0.0f);
    EXPECT_EQ(column(2), Lines{kDischarge});
    EXPECT_EQ(run().stepRowColor[1], 0x00C000);

    // A continued test keeps the restored seconds and counts and opens the next free row.
    run().phase = kPhaseLoad;
    run().currentStep = 2;
    run().loopPass = 3;
    run().resume = true;
    run().stepSeconds = 40;
    link().capacity = 1.25f;
    runTick(station);
    EXPECT_FALSE(run().resume);
    EXPECT_EQ(run().stepSeconds + run().resumedStepSeconds, 80);
    EXPECT_EQ(link().capacity, 1.25f);
    EXPECT_EQ(column(0), (Lines{"1", "3"}));
    EXPECT_EQ(column(1), (Lines{"1", "2"}));
    EXPECT_EQ(run().stepRowColor[1], kColorButtonFace);
    EXPECT_EQ(run().stepRowColor[2], 0x0000FF);
}

TEST_F(RunEngineTest, StartRepeatsUntilTheDeviceRunsAndTheTimeLimitEndsTheStep)
{
    begin({{kDischarge, "01.00", "02.75", "00.05", "0.05"}});  // three seconds
    std::vector<int> commands;
    for (int t = 0; t < 6; ++t) {
        if (t == 3)
            device(true, 3.9f, 1.0f);
        runTick(station);
        commands.push_back(takeCommand());
    }
    EXPECT_EQ(commands, (std::vector<int>{3, 3, 3, 6, 6, 5}));
    EXPECT_EQ(run().stepSeconds + run().testSeconds, 6);
    EXPECT_EQ(run().lastRunningVoltage, 3.9f);
    // A step whose time ran out is complete far above its cut-off.
    device(false, 3.95f, 0);
    runTick(station);
    EXPECT_TRUE(run().testFinished);
    EXPECT_FALSE(run().busy);
    EXPECT_TRUE(klvLogLines().empty());
}

TEST_F(RunEngineTest, RestStepsOfAnyOtherLabelSendNoStartAndCountTheirOwnTime)
{
    begin({{kRest, "00.00", "00.00", "00.00", "0.05"},
           {"静置", "01.00", "03.00", "00.10", "0.05"},
           {kRest, "00.00", "00.00", "00.00", "0"}});
    std::vector<int> stepAtTick;
    for (int t = 0; t < 111; ++t) {
        runTick(station);
        EXPECT_EQ(takeCommand(), kQueueNothing);
        stepAtTick.push_back(run().currentStep);
    }
    EXPECT_EQ(run().stepRowColor[3], 0x00C0C0);
    // Load, three counted seconds, completion: five ticks a step.
    EXPECT_EQ(stepAtTick[3], 1);
    EXPECT_EQ(stepAtTick[4], 2);
    EXPECT_EQ(stepAtTick[9], 3);
    // A rest without a time waits for the operator.
    EXPECT_EQ(run().phase, kPhaseStarting);
    EXPECT_EQ(run().stepSeconds, 100);
    EXPECT_EQ(run().testSeconds, 106);
}

TEST_F(RunEngineTest, StopsBeforeTheTimeLimitAreJudgedAgainstTheCutOff)
{
    struct Case {
        StepRowTexts step;
        float volts, amps;
        std::string rejection;  // empty: accepted
    };
    const StepRowTexts discharge{kDischarge, "01.00", "02.75", "00.05", "60"};
    const StepRowTexts charge{kCharge, "01.00", "04.20", "00.05", "60"};
    const std::vector<Case> cases = {
        {discharge, 2.95f, 1.0f, ""},
        {discharge, 3.10f, 1.0f, "ErrTmrRun(0-3) 0 3.1 2.75]"},
        {charge, 4.18f, 0.12f, ""},
        {charge, 4.16f, 0.12f, "ErrTmrRun(0-3) 1 0.12 0.05]"},
        {charge, 4.20f, 0.16f, "ErrTmrRun(0-3) 1 0.16 0.05]"},
        {{kDischarge, "01.00", "02.75", "00.05", "0"}, 3.60f, 1.0f, ""},  // no limit, no check
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        const std::string base = home.path() + "/case" + std::to_string(i);
        begin({c.step}, kSlot, base);
        runTick(station);
        device(true, c.volts, c.amps);
        runTick(station);
        takeCommand();
        device(false, c.volts - 0.2f, 0);
        const size_t logged = klvLogLines().size();
        runTick(station);

        const Lines backedUp = readLines(base + ".bk1").value_or(Lines{});
        EXPECT_FALSE(run().busy);
        EXPECT_EQ(run().phase, kPhaseLoad);
        EXPECT_EQ(run().testFinished, c.rejection.empty());
        EXPECT_EQ(backedUp.size(), c.rejection.empty() ? 1u : 0u);
        EXPECT_EQ(takeCommand(), c.rejection.empty() ? kQueueNothing : kQueueStop);
        ASSERT_EQ(klvLogLines().size(), logged + (c.rejection.empty() ? 0 : 1));
        if (!c.rejection.empty()) {
            EXPECT_TRUE(klvLogLines().back().ends_with(c.rejection)) << klvLogLines().back();
        }
    }
}

TEST_F(RunEngineTest, StepsAndLoopPassesRunInOrderWithOneResultRowEachThenAutoSave)
{
    makeFolder(home.path() + "/Data");
    station.run.autoSave = true;
    const std::string base = home.path() + "/klv-com1-1-4";
    begin({{kDischarge, "01.00", "03.00", "00.05", "0"},
           {kRest, "00.00", "00.00", "00.00", "0.05"},
           {kCharge, "01.00", "04.20", "00.10", "0"},
           {"循环", "00.00", "00.00", "00.00", "2"}},
          kSlot, base);
    for (int t = 0, secondsOn = 0; t < 200 && run().busy; ++t) {
        runTick(station);
        // The device runs each start for five seconds, then stops at the cut-off.
        if (takeCommand() == kQueueStart)
            device(true, link().startVoltage, link().startEndCurrent), secondsOn = 0;
        else if (link().running && ++secondsOn == 5)
            link().running = false;
    }
    EXPECT_TRUE(run().testFinished);
    EXPECT_EQ(column(0), (Lines{"1", "1", "1", "2", "2", "2"}));
    EXPECT_EQ(column(1), (Lines{"1", "2", "3", "1", "2", "3"}));
    EXPECT_EQ(run().gridList.rows, kResultRowsAtStart + 5);
    EXPECT_EQ(std::count(run().stepRowColor.begin(), run().stepRowColor.end(), kColorButtonFace), kStepRows + 1);
    const Lines backedUp = readLines(base + ".bk1").value_or(Lines{});
    ASSERT_EQ(backedUp.size(), 6u);
    EXPECT_EQ(backedUp[4], "2\t2\t" + kRest + "\t0.000\t0.000\t00:00:03");
    EXPECT_TRUE(fileExists(autoSaveBaseName(station, kSlot) + ".dat"));
}

TEST_F(RunEngineTest, VoltageAndCurrentErrorsStopARunningChannelOnce)
{
    clock.advance(3000);
    const StepRowTexts charge{kCharge, "01.00", "04.20", "00.05", "0"};
    begin({charge});
    begin({charge}, 4);
    runTick(station);
    device(true, 4.6f, 1.0f);     // above the device's 4.5 V
    device(true, 3.5f, 0.3f, 4);  // charging far below its set current
    for (int t = 1; t <= 33; ++t) {
        runTick(station);
        EXPECT_EQ(run().busy, t < 2) << t;  // acted on at the tick after the flag rose
        EXPECT_EQ(run(4).currentError, t >= 31) << t;
        EXPECT_EQ(run(4).busy, t < 32) << t;
    }
    EXPECT_EQ(takeCommand(kSlot), kQueueStop);
    EXPECT_EQ(takeCommand(4), kQueueStop);
    const Lines log = klvLogLines();
    EXPECT_EQ(countOf(log, ":[ErrtmrRun(0-3) VolErr Stop]"), 1);
    EXPECT_EQ(countOf(log, ":[ErrtmrRun(0-4) CurErr Stop]"), 1);
    EXPECT_EQ(station.ui.history, (Lines{"09:30:08  通道1-4电压出错", "09:30:08  通道1-5电流出错"}));
    device(false, 3.5f, 0, 4);
    runTick(station);
    EXPECT_FALSE(run(4).currentError);
}

TEST_F(RunEngineTest, OnlyPresentChannelsAreVisitedAndAFailingOneHoldsUpNoOther)
{
    const StepRowTexts discharge{kDischarge, "01.00", "02.75", "00.05", "0"};
    begin({{kDischarge, "abc", "02.75", "00.05", "0"}});
    begin({discharge}, 4);
    begin({discharge}, 5);
    station.ui.panels[0].Conn[5] = false;
    begin({discharge}, 8);  // device index 1 holds no device
    runTick(station);
    runTick(station);
    const Lines log = klvLogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[1].ends_with(":[ErrTmrRun(0-3)]step 1 column 2: \"abc\" is no number")) << log[1];
    EXPECT_EQ(run().phase, kPhaseLoad);
    EXPECT_EQ(takeCommand(4), kQueueStart);
    EXPECT_EQ(run(5).phase + run(8).phase, kPhaseLoad);
    EXPECT_EQ(takeCommand(kSlot) + takeCommand(5) + takeCommand(8), 3 * kQueueNothing);
}

namespace {
struct RunEngineBench : BenchFixture {};
}  // namespace

// Engine, poll and live data together on the simulated bench, with the backup files on disk.
TEST_F(RunEngineBench, AProgramRunsToItsEndOnTheSimulatedBench)
{
    auto& unit = bus.addUnit(0, 22);
    unit.channel(0).cell.capacityAh = 0.1;
    unit.channel(0).cell.stateOfCharge = 0.2;
    ASSERT_EQ(connect(), ConnectResult::Connected);
    station.ui.graphs[0].setCurveCount(16);
    installLiveData(station);
    station.program.gridRun[0] = test::stepTable({{"恒流放", "01.00", "03.00", "00.05", "0"},
                                                  {"搁置", "00.00", "00.00", "00.00", "0.1"},
                                                  {"恒压充", "01.00", "04.20", "00.10", "0"}});
    station.program.stepCount[0] = 3;
    station.program.loopCount[0] = 1;
    startChannel(station, 0);
    const RunSlot& run = station.run.slots[0];
    for (int ticks = 0; ticks < 3000 && run.busy; ++ticks) {
        const std::uint32_t started = clock.milliseconds();
        pollTick(station);
        runTick(station);
        finishSecond(started);
    }
    EXPECT_TRUE(run.testFinished);
    EXPECT_FALSE(unit.channel(0).running);
    EXPECT_EQ(run.gridList.at(2, 5), "00:00:06");
    const Lines bk1 = readLines(run.backupBase + ".bk1").value_or(Lines{});
    ASSERT_EQ(bk1.size(), 4u + 3u);
    EXPECT_TRUE(bk1[4].starts_with("1\t1\t恒流放\t0.0")) << bk1[4];
    EXPECT_TRUE(bk1[6].starts_with("1\t3\t恒压充\t0.")) << bk1[6];
    const Lines bk0 = readLines(run.backupBase + ".bk0").value_or(Lines{});
    const long samples = std::count_if(bk0.begin(), bk0.end(), [](const std::string& l) {
        return !l.empty() && std::isdigit(static_cast<unsigned char>(l[0]));
    });
    EXPECT_GT(samples, 100);
    EXPECT_EQ(samples, station.ui.graphs[0].DpCnt(0));
    EXPECT_EQ(countOf(klvLogLines(), "Err"), 0);
}
