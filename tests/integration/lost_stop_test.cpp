#include <gtest/gtest.h>

#include <algorithm>

#include "integration/full_bench.h"

using namespace klv;

namespace {

struct LostStop : FullBench {};

constexpr int kUnit = 0, kChannel = 2;

}  // namespace

// A channel whose voltage runs away is stopped while its stop frames are lost on the line: the
// stop goes out again every tick and the unit takes it with the first frame that reaches it. Past
// five ticks without a confirmation the tile and the klv log say so, once, until the unit answers.
TEST_F(LostStop, StopIsSentAgainEveryTickUntilTheUnitConfirmsIt)
{
    port.setLineTiming(false);
    setUpBench(20);
    startAll({{"恒流放", "01.00", "02.75", "00.00", "0"}});
    for (int t = 0; t < 15; ++t)
        second();
    const int slot = slotOf(kUnit, kChannel);
    sim::SimUnit& unit = *bus.unit(kUnit);

    const int lost = 7;
    {
        unit.faults.runawayChannel = kChannel;
        unit.faults.lostStopFrames = lost;
        int ticks = 0;
        while (station.run.slots[slot].busy && ticks < 10) {
            second();
            ++ticks;
        }
        ASSERT_FALSE(station.run.slots[slot].busy) << "the runaway was not stopped";
        EXPECT_LE(ticks, 4);

        const size_t logLinesBefore = klvLogLines().size();
        bool tileSaid = false;
        int sends = 0;
        while (unit.channel(kChannel).running && sends < lost + 3) {
            EXPECT_TRUE(station.link.slots[slot].stopPending);
            second();
            ++sends;
            tileSaid |= station.ui.panels[kUnit].tiles[kChannel].Txt.find("停止未确认") != std::string::npos;
        }
        EXPECT_EQ(sends, lost + 1) << "the stop reached the unit with the first frame not lost";
        second();
        EXPECT_FALSE(station.link.slots[slot].stopPending);
        EXPECT_EQ(station.ui.panels[kUnit].tiles[kChannel].Txt.find("停止未确认"), std::string::npos);
        EXPECT_TRUE(tileSaid);
        const auto lines = klvLogLines();
        const auto said = std::count_if(lines.begin() + logLinesBefore, lines.end(), [](const std::string& l) {
            return l.find("ErrTmrComm(0-2) stop unconfirmed") != std::string::npos;
        });
        EXPECT_EQ(said, 1);
        EXPECT_TRUE(unit.channel(kChannel + 1).running) << "its neighbour keeps its test";
    }
}
