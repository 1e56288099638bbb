#include <gtest/gtest.h>

#include "integration/full_bench.h"
#include "platform/text_file.h"
#include "run/bench_start.h"

using namespace klv;

namespace {

struct UnitRestart : FullBench {
    size_t sampleLines(const std::string& base)
    {
        return readLines(base + ".bk0").value_or(std::vector<std::string>{}).size();
    }
    std::string base(int position, int n) { return backupBase(slotOf(position - 1, n)); }

    // Two units at addresses 0 and 1, a discharge running on all their channels for 20 s.
    void runOnTwoUnits()
    {
        port.setLineTiming(false);
        for (int address : {0, 1}) {
            sim::SimUnit& unit = bus.addUnit(address, 22);
            for (int n = 0; n < kChannelsPerDevice; ++n)
                unit.channel(n).cell.capacityAh = 20;
        }
        startUpStation(station);
        ASSERT_EQ(connect(1, 2), ConnectResult::Connected);
        installLiveData(station);
        const TextGrid program = test::stepTable({{"恒流放", "01.00", "02.75", "00.00", "0"}});
        for (int d : {0, 1})
            applyProgram(station.program, station.link, d, program, 1, kApplyAllTarget);
        for (int s = 0; s < 2 * kChannelsPerDevice; ++s)
            startChannel(station, s);
        for (int t = 0; t < 20; ++t)
            second();
    }
};

}  // namespace

// Two units run a test on every channel; the station restarts while the unit at address 0 is
// still booting, so the unit at address 1 answers first and takes position 0. "Continue all"
// takes up the second unit's tests on that unit, from its own backups, and says for every
// channel of the silent unit that its test was not continued.
TEST_F(UnitRestart, ContinueAfterARestartTakesUpEachTestOnlyOnItsOwnUnit)
{
    runOnTwoUnits();
    const size_t firstUnitLines = sampleLines(base(1, 0)), secondUnitLines = sampleLines(base(2, 0));
    ASSERT_GT(secondUnitLines, 5u);

    port.close();                       // the power cut
    bus.unit(0)->faults.silent = true;  // boots late
    Station again{home.path(), port, clock, pump};
    startUpStation(again);
    ASSERT_EQ(connectBench(again, 1, scanRange(1, 2)), ConnectResult::Connected);
    ASSERT_EQ(again.link.devices[0].busAddress, 1);
    installLiveData(again);
    startSlots(again, *slotsOfChannels(again, {}), nullptr, ChannelOp::Continue);

    ASSERT_EQ(messages.shown.size(), 1u) << "one message lists every refused test";
    std::string expected;
    for (int n = 0; n < kChannelsPerDevice; ++n)
        expected += (n ? "\n" : "") + std::string("通道1-") + std::to_string(n + 1) + "的测试未继续：单元未应答";
    EXPECT_EQ(messages.shown[0].text, expected);
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        EXPECT_TRUE(again.run.slots[n].busy) << n;
        EXPECT_EQ(again.run.slots[n].backupBase, base(2, n));
    }

    for (int t = 0; t < 5; ++t) {
        const std::uint32_t started = clock.milliseconds();
        pollTick(again);
        runTick(again);
        finishSecond(started);
    }
    EXPECT_EQ(sampleLines(base(1, 0)), firstUnitLines) << "the silent unit's backup is left alone";
    EXPECT_GT(sampleLines(base(2, 0)), secondUnitLines) << "the second unit's test goes on in its own backup";
    EXPECT_TRUE(bus.unit(1)->channel(0).running);
}

// Both units fall silent mid-test (a cable pulled), the operator disconnects and connects
// again while only the second answers: it keeps its position rather than taking the silent
// one's, so its channels never get the first unit's tests, and both tests stay where they were.
TEST_F(UnitRestart, ARescanWhileTestsRunNeverMovesATestToAnotherUnit)
{
    runOnTwoUnits();
    bus.unit(0)->faults.silent = bus.unit(1)->faults.silent = true;
    for (int t = 0; t < 14; ++t)
        second();
    ASSERT_TRUE(disconnectBench(station)) << "units that do not answer do not hold the station connected";
    second();
    bus.unit(1)->faults.silent = false;
    ASSERT_EQ(connect(1, 2), ConnectResult::Connected);

    EXPECT_EQ(station.link.devices[0].modelCode, 0) << "the silent unit's position stays empty";
    EXPECT_EQ(station.link.devices[1].busAddress, 1);
    for (int t = 0; t < 3; ++t)
        second();
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        EXPECT_TRUE(station.run.slots[n].busy) << "the silent unit's test waits for its unit";
        EXPECT_TRUE(station.run.slots[slotOf(1, n)].busy);
        EXPECT_TRUE(bus.unit(1)->channel(n).running);
    }
}
