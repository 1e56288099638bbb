#include <gtest/gtest.h>

#include "platform/clock.h"
#include "sim/sim_helpers.h"
#include "sim/sim_port.h"

using namespace klv;
using namespace klv::sim;
using namespace klv::sim::testing;

TEST(SimFaults, SilentUnitNeitherHearsNorAnswers)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    unit.faults.silent = true;
    EXPECT_FALSE(bus.handle(channelFrame(0, {startEntry(16, 100, 300, 0)})));
    EXPECT_FALSE(bus.handle({0xFA, 0x00, 0x00, 0x01, 0x22, 0x22, 0xF8}));
    EXPECT_FALSE(unit.channel(0).running);

    unit.faults = {};
    unit.faults.silentAfterMs = 5000;
    bus.elapse(4999);
    EXPECT_TRUE(bus.handle(statusPolls(0)));
    bus.elapse(1);
    EXPECT_FALSE(bus.handle(statusPolls(0)));
}

TEST(SimFaults, SpoiltAnswersDifferFromTheCleanOneOnlyAsAsked)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    const Bytes clean = bus.handle(statusPolls(0))->bytes;
    ASSERT_EQ(clean.size(), 86u);

    unit.faults.shortBy = 3;
    Bytes shortAnswer = bus.handle(statusPolls(0))->bytes;
    EXPECT_EQ(shortAnswer, Bytes(clean.begin(), clean.end() - 3));

    unit.faults = {};
    unit.faults.badChecksum = true;
    Bytes bad = bus.handle(statusPolls(0))->bytes;
    ASSERT_EQ(bad.size(), 86u);
    EXPECT_FALSE(verifyChecksum(bad, 4, 84));
    EXPECT_LT(bad[84], 240);
    bad[84] = clean[84];
    EXPECT_EQ(bad, clean);

    unit.faults = {};
    unit.faults.surplusBytes = 4;
    Bytes longer = bus.handle(statusPolls(0))->bytes;
    ASSERT_EQ(longer.size(), 90u);
    EXPECT_EQ(Bytes(longer.begin(), longer.begin() + 86), clean);
}

TEST(SimFaults, LateAnswerStartsAfterTheDelay)
{
    VirtualClock clock{100};
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    SimPort port{bus, clock};
    port.setLineTiming(false);
    ASSERT_TRUE(port.open(1));
    unit.faults.lateMs = 310;
    port.write(statusPolls(0));
    clock.advance(309);
    EXPECT_EQ(port.bytesWaiting(), 0);
    clock.advance(1);
    EXPECT_EQ(port.bytesWaiting(), 86);

    // With line timing the delay comes before the request's and the answer's line time.
    port.setLineTiming(true);
    port.readAll();
    port.write(statusPolls(0));
    clock.advance(310 + 114);
    EXPECT_EQ(port.bytesWaiting(), 85);
    clock.advance(1);
    EXPECT_EQ(port.bytesWaiting(), 86);
}

TEST(SimFaults, RunawayCellClimbsAboveEveryRatingWhileItRuns)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    unit.faults.runawayChannel = 3;
    ASSERT_TRUE(
        bus.handle(channelFrame(0, {{0x55}, {0x55}, startEntry(16, 100, 300, 0), startEntry(16, 100, 300, 0)})));
    bus.elapse(1000);
    EXPECT_GT(readChannel(bus, 0, 3).voltage, 4.5f);  // above this model's 4.5 V at once
    bus.elapse(29'000);
    Reading r = readChannel(bus, 0, 3);
    EXPECT_TRUE(r.running);
    EXPECT_GT(r.voltage, 120.0f);                     // the highest rating of any model
    EXPECT_LT(readChannel(bus, 0, 2).voltage, 4.0f);  // its neighbour is sound

    unit.faults.runawayChannel = -1;
    EXPECT_NEAR(readChannel(bus, 0, 3).voltage, readChannel(bus, 0, 2).voltage, 0.002);
}

TEST(SimFaults, UnitThatStopsEarlyEndsTheStepAwayFromItsCutOff)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    unit.faults.stopAfterSeconds = 30;
    ASSERT_TRUE(bus.handle(channelFrame(0, {startEntry(16, 100, 300, 0)})));
    bus.elapse(29'000);
    EXPECT_TRUE(readChannel(bus, 0, 0).running);
    bus.elapse(1000);
    Reading r = readChannel(bus, 0, 0);
    EXPECT_FALSE(r.running);
    EXPECT_GT(r.voltage, 3.0f + 0.3f);
    EXPECT_EQ(unit.channel(0).seconds, 30);
}
