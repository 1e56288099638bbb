#include <gtest/gtest.h>

#include "platform/clock.h"
#include "sim/sim_helpers.h"
#include "sim/sim_port.h"

using namespace klv;
using namespace klv::sim;
using namespace klv::sim::testing;

namespace {
struct SimPortTest : ::testing::Test {
    VirtualClock clock{0xFFFFFFA0u};  // the answer straddles the wrap of the millisecond counter
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 22);
    SimPort port{bus, clock};

    // Bytes waiting after the clock has moved to `at` ms past the write.
    int waitingAt(std::uint32_t writtenMs, std::uint32_t at)
    {
        clock.setMilliseconds(writtenMs + at);
        return port.bytesWaiting();
    }
};
}  // namespace

TEST_F(SimPortTest, AnswerBytesArriveAtLineTime)
{
    ASSERT_TRUE(port.open(1));
    std::uint32_t t0 = clock.milliseconds();
    Bytes expected = bus.handle(statusPolls(0))->bytes;
    port.write(statusPolls(0));  // 14 bytes out, then 86 back, 11 bits a byte at 9600 baud

    EXPECT_EQ(waitingAt(t0, 17), 0);  // the request itself takes 16.04 ms, the first answer byte 1.15 ms more
    EXPECT_EQ(waitingAt(t0, 18), 1);
    EXPECT_EQ(waitingAt(t0, 114), 85);
    EXPECT_EQ(waitingAt(t0, 115), 86);
    EXPECT_EQ(port.readAll(), expected);
    EXPECT_EQ(port.bytesWaiting(), 0);

    // Without line timing the whole answer is there at once.
    port.setLineTiming(false);
    port.write(statusPolls(0));
    EXPECT_EQ(port.bytesWaiting(), 86);
}

TEST_F(SimPortTest, CellsAgeWithTheClock)
{
    ASSERT_TRUE(port.open(1));
    port.write(channelFrame(0, {startEntry(16, 100, 300, 0)}));
    clock.advance(90'000);
    port.discardInput();
    EXPECT_EQ(unit.channel(0).seconds, 90);
}

TEST_F(SimPortTest, OpensOnlyAvailablePortsAndServesOnlyWhileOpen)
{
    EXPECT_FALSE(port.open(2));
    ASSERT_TRUE(port.open(1));
    EXPECT_EQ(port.openPort(), 1);
    EXPECT_FALSE(port.open(1));  // already open
    port.close();
    EXPECT_FALSE(port.isOpen());

    port.setPortAvailable(1, false);
    port.setPortAvailable(7, true);
    EXPECT_FALSE(port.open(1));
    ASSERT_TRUE(port.open(7));

    // The hook sees each request after the bus has it, and can close the port before any answer.
    std::vector<Bytes> written;
    port.afterWrite = [&](const Bytes& request) {
        written.push_back(request);
        port.close();
    };
    port.write(channelFrame(0, {startEntry(16, 100, 300, 0)}));
    EXPECT_TRUE(unit.channel(0).running);
    EXPECT_EQ(written, (std::vector<Bytes>{channelFrame(0, {startEntry(16, 100, 300, 0)})}));
    clock.advance(200);
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.readAll().empty());

    port.write(statusPolls(0));  // closed: nothing goes out
    EXPECT_EQ(written.size(), 1u);
}

TEST_F(SimPortTest, DiscardDropsWhatHasArrivedButNotWhatIsStillOnTheLine)
{
    ASSERT_TRUE(port.open(1));
    std::uint32_t t0 = clock.milliseconds();
    port.write(statusPolls(0));
    clock.setMilliseconds(t0 + 50);
    port.discardInput();
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(waitingAt(t0, 115), 86 - 29);  // 29 bytes had arrived by 50 ms
}
