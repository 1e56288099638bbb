#include <gtest/gtest.h>

#include "sim/sim_bus.h"
#include "sim/sim_helpers.h"
#include "sim/sim_options.h"

using namespace klv;
using namespace klv::sim;
using namespace klv::sim::testing;

namespace {
constexpr std::uint64_t kSecond = 1000;
}

TEST(SimPhysics, ConstantCurrentDischargeFollowsTheCellAndStopsAtTheCutOff)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);                                               // 2 Ah, 0.05 Ω, half full
    ASSERT_TRUE(bus.handle(channelFrame(0, {{0x55}, startEntry(16, 200, 300, 0)})));  // 2 A down to 3.00 V

    Reading first = readChannel(bus, 0, 1);
    EXPECT_TRUE(first.running);
    EXPECT_FLOAT_EQ(first.current, 2.0f);
    EXPECT_NEAR(first.voltage, 3.785 - 0.1, 0.002);
    EXPECT_FALSE(readChannel(bus, 0, 0).running);

    Reading previous = first, lastRunning = first;
    int seconds = 0;
    for (; seconds < 7200 && previous.running; ++seconds) {
        bus.elapse(kSecond);
        Reading r = readChannel(bus, 0, 1);
        if (r.running) {
            EXPECT_LE(r.voltage, previous.voltage + 1e-6f) << seconds;
            EXPECT_GE(r.capacity, previous.capacity) << seconds;
            lastRunning = r;
        }
        previous = r;
    }
    // One ampere-hour at 2 A is 1800 s; the steep end of the curve leaves a little charge behind.
    EXPECT_GT(seconds, 1700);
    EXPECT_LT(seconds, 1800);
    EXPECT_FALSE(previous.running);
    EXPECT_FLOAT_EQ(previous.current, 0.0f);
    EXPECT_GE(lastRunning.voltage, 3.0f);
    EXPECT_LT(lastRunning.voltage, 3.02f);
    EXPECT_NEAR(previous.capacity, 2.0 * seconds / 3600, 0.002);
    // Energy over charge is the mean voltage, between the cut-off and where the discharge began.
    EXPECT_GT(previous.energy / previous.capacity, 3.0f);
    EXPECT_LT(previous.energy / previous.capacity, first.voltage);
    EXPECT_EQ(unit.channel(1).seconds, seconds);
    EXPECT_GT(previous.voltage, 3.0f);  // the cell recovers once the load is off
}

TEST(SimPhysics, ConstantVoltageChargeHoldsTheVoltageAndEndsAtTheEndCurrent)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    unit.channel(0).cell.stateOfCharge = 0.3;
    ASSERT_TRUE(bus.handle(channelFrame(0, {startEntry(17, 100, 420, 10)})));  // 1 A to 4.20 V, end 0.1 A

    bool reachedVoltage = false;
    Reading previous = readChannel(bus, 0, 0), lastRunning = previous;
    int seconds = 0;
    for (; seconds < 20000 && previous.running; ++seconds) {
        bus.elapse(kSecond);
        Reading r = readChannel(bus, 0, 0);
        if (!r.running)
            break;
        if (!reachedVoltage && r.current < 1.0f) {
            reachedVoltage = true;
            EXPECT_NEAR(r.voltage, 4.2, 0.001);
        }
        if (reachedVoltage) {
            EXPECT_NEAR(r.voltage, 4.2, 0.001) << seconds;
            EXPECT_LE(r.current, previous.current) << seconds;
        } else {
            EXPECT_FLOAT_EQ(r.current, 1.0f);
            EXPECT_GE(r.voltage, previous.voltage);
        }
        previous = lastRunning = r;
    }
    EXPECT_TRUE(reachedVoltage);
    EXPECT_FALSE(unit.channel(0).running);
    // The last reading while running lies at the end current, as the station wants to see it.
    EXPECT_NEAR(lastRunning.current, 0.1f, 0.002f);
    EXPECT_GT(unit.channel(0).cell.stateOfCharge, 0.95);
    EXPECT_FLOAT_EQ(readChannel(bus, 0, 0).current, 0.0f);
}

TEST(SimPhysics, RestKeepsTheOutputOffAndCountsTime)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    ASSERT_TRUE(bus.handle(channelFrame(0, {startEntry(18, 100, 420, 10)})));
    Reading before = readChannel(bus, 0, 0);
    bus.elapse(600 * kSecond);
    Reading after = readChannel(bus, 0, 0);
    EXPECT_TRUE(after.running);
    EXPECT_FLOAT_EQ(after.current, 0.0f);
    EXPECT_FLOAT_EQ(after.voltage, before.voltage);
    EXPECT_FLOAT_EQ(after.capacity, 0.0f);
    EXPECT_EQ(unit.channel(0).seconds, 600);
}

TEST(SimPhysics, CapacityCounterRestartsPast119Ah)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 28);  // TAL-M8: 40 A
    unit.channel(0).cell.capacityAh = 1000;
    ASSERT_TRUE(bus.handle(channelFrame(0, {startEntry(16, 4000, 100, 0)})));

    float previous = 0;
    int wraps = 0;
    for (int s = 0; s < 12000; ++s) {  // 133 Ah at 40 A
        bus.elapse(kSecond);
        float q = readChannel(bus, 0, 0, 100).capacity;
        if (q + 100 < previous) {  // the station's wrap rule
            ++wraps;
            EXPECT_GT(previous, 119.2f);
            EXPECT_LT(q, 0.1f);
        } else {
            EXPECT_GE(q, previous);
        }
        previous = q;
    }
    EXPECT_EQ(wraps, 1);
    EXPECT_NEAR(previous + kCapacityWrapAh, 40.0 * 12000 / 3600, 0.1);
}

TEST(SimPhysics, TimeFollowsAWrappingClockTimesTheSpeed)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 20);
    unit.channel(0).start(kModeRest, 0, 0, 0);
    bus.setSpeed(60);
    bus.follow(0xFFFFFF00u);  // the first reading only sets the base
    EXPECT_EQ(bus.elapsedMs(), 0u);
    bus.follow(0xFFFFFF00u + 1000);  // wraps to 0x2E8
    EXPECT_EQ(bus.elapsedMs(), 1000u);
    EXPECT_EQ(unit.channel(0).seconds, 60);
    bus.setSpeed(0.5);
    bus.elapse(1500);
    EXPECT_EQ(unit.channel(0).seconds, 60);  // 750 ms simulated: not a whole second yet
    bus.elapse(500);
    EXPECT_EQ(unit.channel(0).seconds, 61);
}

// klv-sim's --speed: a bench twenty times quicker empties its cells twenty times sooner along the
// same voltage curve, while its counters hold what the real current gave over real time.
TEST(SimPhysics, AQuickerBenchHasSmallerCellsAndCountsRealTime)
{
    SimBus normal, quick;
    setUpBus(normal, parseSimOptions({"--link", "p", "--unit", "0:22"}));
    setUpBus(quick, parseSimOptions({"--link", "p", "--unit", "0:22", "--speed", "20"}));
    for (SimBus* bus : {&normal, &quick})
        ASSERT_TRUE(bus->handle(channelFrame(0, {startEntry(16, 100, 300, 0)})));  // 1 A down to 3.00 V
    const SimChannel& n = normal.unit(0)->channel(0);
    const SimChannel& q = quick.unit(0)->channel(0);

    normal.elapse(1200 * kSecond);
    quick.elapse(60 * kSecond);
    EXPECT_NEAR(q.voltage, n.voltage, 0.001);  // the same share of the charge gone
    EXPECT_NEAR(q.capacityAh, 1.0 * 60 / 3600, 1e-6);
    EXPECT_NEAR(q.energyWh, q.capacityAh * q.voltage, 0.02 * q.energyWh);
    EXPECT_NEAR(q.energyWh * 20, n.energyWh, 1e-3 * n.energyWh);

    // Both stop at the cut-off with the same share of the charge left, the quick one twenty times sooner.
    while (n.running && normal.elapsedMs() < 7200 * kSecond)
        normal.elapse(kSecond);
    while (q.running && quick.elapsedMs() < 7200 * kSecond)
        quick.elapse(50);
    EXPECT_FALSE(q.running);
    EXPECT_GT(normal.elapsedMs(), 3000 * kSecond);
    EXPECT_NEAR(static_cast<double>(quick.elapsedMs()) * 20, static_cast<double>(normal.elapsedMs()), 1000);
    EXPECT_NEAR(q.cell.stateOfCharge, n.cell.stateOfCharge, 1e-3);
    EXPECT_NEAR(q.capacityAh * 20, n.capacityAh, 1e-3 * n.capacityAh);
}
