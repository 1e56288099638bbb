#include <gtest/gtest.h>

#include "link/command_set.h"
#include "link/poll_cycle.h"
#include "support/bench_fixture.h"

using namespace klv;

using RoundTripTest = BenchFixture;

// A start queued for a channel reaches the unit in the next frame, the readings
// follow its cell down to the cut-off, and a queued stop switches it off.
TEST_F(RoundTripTest, StartFollowTheCellAndStopThroughTheQueue)
{
    auto& unit = bus.addUnit(1, 22);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    const int slot = slotOf(0, 2);
    SlotLink& link = station.link.slots[slot];
    station.run.slots[slot].stepSeconds = 1;  // readings of a running channel are taken from its first second
    auto second = [&] {
        std::uint32_t started = clock.milliseconds();
        pollTick(station);
        finishSecond(started);
    };

    link.startMode = kModeDischarge;
    link.startCurrent = 2.0f;
    link.startVoltage = 3.5f;
    link.startEndCurrent = 0.0f;
    AddCmd(station, slot, kQueueStart);
    second();
    EXPECT_TRUE(link.running);
    EXPECT_TRUE(unit.channel(2).running);
    EXPECT_DOUBLE_EQ(unit.channel(2).setCurrent, 2.0);
    EXPECT_FALSE(unit.channel(3).running);

    second();
    second();
    const float early = link.voltage;
    EXPECT_NEAR(link.current, 2.0f, 0.001f);
    for (int i = 0; i < 600; ++i)
        second();
    EXPECT_LT(link.voltage, early);  // the cell empties under the load
    EXPECT_GT(link.capacity, 0.3f);

    int seconds = 0;
    while (link.running && seconds < 4 * 3600) {
        second();
        ++seconds;
    }
    EXPECT_FALSE(link.running) << "the unit never reached its cut-off";
    EXPECT_NEAR(link.voltage, 3.5f, 0.15f);

    link.startVoltage = 2.0f;
    AddCmd(station, slot, kQueueStart);
    second();
    ASSERT_TRUE(link.running);
    AddCmd(station, slot, kQueueStop);
    second();
    EXPECT_FALSE(link.running);
    EXPECT_FALSE(unit.channel(2).running);
}
