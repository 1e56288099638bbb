#include <gtest/gtest.h>

#include "link/command_set.h"
#include "link/frame.h"
#include "link/poll_cycle.h"
#include "support/bench_fixture.h"

using namespace klv;

namespace {

struct PollCycleTest : BenchFixture {
    std::vector<Bytes> written;
    std::vector<int> notified;
    void SetUp() override
    {
        port.afterWrite = [this](const Bytes& request) { written.push_back(request); };
        station.onLiveData = [this](int slot) { notified.push_back(slot); };
    }
    PollTickReport tick()
    {
        std::uint32_t started = clock.milliseconds();
        PollTickReport report = pollTick(station);
        finishSecond(started);
        return report;
    }
};

}  // namespace

TEST_F(PollCycleTest, IdleDevicesAreAskedEverySecondTickAndCommandsGoOutAtOnce)
{
    bus.addUnit(0, 20);
    bus.addUnit(1, 22);
    bus.addUnit(3, 23);
    bus.addUnit(5, 22, {true, false, true, false, true, false, true, false});
    ASSERT_EQ(connect(), ConnectResult::Connected);
    station.link.devices[2] = DeviceEntry{};  // index 2 empty: indexes 0, 1 and 3 hold devices
    written.clear();
    std::vector<size_t> framesPerTick;
    for (int t = 1; t <= 6; ++t) {
        size_t before = written.size();
        tick();
        framesPerTick.push_back(written.size() - before);
    }
    EXPECT_EQ(framesPerTick, (std::vector<size_t>{3, 0, 3, 0, 3, 0}));
    EXPECT_EQ(station.link.pollToggle, 0);

    // On a toggle-1 tick device 0 is asked for a stop; while it waits, a stop is
    // queued for device 1, which goes out in the same tick.
    tick();
    ASSERT_EQ(station.link.pollToggle, 1);
    written.clear();
    notified.clear();
    AddCmd(station, 0, kQueueStop);
    pump.onStep = [this] {
        if (written.size() == 1 && station.link.slots[8].command == kQueueNothing)
            AddCmd(station, 8, kQueueStop);
    };
    PollTickReport report = tick();
    pump.onStep = nullptr;
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1][1], 1);  // the bus address of device index 1
    EXPECT_EQ(Bytes(written[1].begin() + 4, written[1].end() - 2),
              (Bytes{0x66, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}));
    EXPECT_EQ(report.answersDecoded, 2);
    EXPECT_EQ(notified, (std::vector<int>{0, 8}));  // status answers of a toggle-1 tick do not notify
}

TEST_F(PollCycleTest, SilenceFlagsADeviceOfflineAtTheSixthFailureAndAnswersClearIt)
{
    auto& unit = bus.addUnit(0, 22);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    tick();
    unit.faults.silent = true;
    const DeviceEntry& dev = station.link.devices[0];
    int asked = 0;
    while (!dev.offline && asked < 20) {
        tick();  // toggle 1: an idle device is not asked
        EXPECT_EQ(dev.timeoutCount, asked);
        tick();
        ++asked;
    }
    EXPECT_EQ(asked, 6);
    EXPECT_EQ(dev.timeoutCount, 5);
    auto log = klvLogLines();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_NE(log[0].find(":[ErrTmrComm(0) timeout]"), std::string::npos);

    unit.faults.silent = false;
    unit.faults.badChecksum = true;  // a full-length answer counts as answering
    tick();
    tick();
    EXPECT_FALSE(dev.offline);
    EXPECT_EQ(dev.timeoutCount, 0);
    EXPECT_NE(klvLogLines().back().find(":[ErrTmrComm(0)chk error]"), std::string::npos);
}

TEST_F(PollCycleTest, BadChecksumsNeverSetTheOfflineFlag)
{
    auto& unit = bus.addUnit(0, 20);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    unit.faults.badChecksum = true;
    notified.clear();
    for (int i = 0; i < 14; ++i)
        tick();
    EXPECT_FALSE(station.link.devices[0].offline);
    EXPECT_EQ(station.link.devices[0].timeoutCount, 0);
    EXPECT_TRUE(notified.empty());
}

TEST_F(PollCycleTest, ATickThatFallsDueDuringAWaitIsSkipped)
{
    bus.addUnit(0, 20);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    std::vector<PollTickReport> nested;
    pump.onStep = [&] {
        if (nested.empty())
            nested.push_back(pollTick(station));
    };
    written.clear();
    tick();
    pump.onStep = nullptr;
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_TRUE(nested[0].skipped);
    EXPECT_EQ(written.size(), 1u);
    EXPECT_EQ(station.link.pollToggle, 1);
}

TEST_F(PollCycleTest, TheTickAfterADisconnectClosesThePortAndStops)
{
    bus.addUnit(0, 20);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    tick();
    station.ui.panels[0].tiles[0].Color = 255;
    AddCmd(station, 3, kQueueStop);
    ASSERT_TRUE(disconnectBench(station));
    EXPECT_TRUE(port.isOpen());
    written.clear();
    PollTickReport report = tick();
    EXPECT_TRUE(report.timerOff);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(station.ui.panels[0].tiles[0].Color, kColorLampOff);
    EXPECT_EQ(station.link.slots[3].command, kQueueNothing);
    EXPECT_EQ(station.link.pollToggle, 1);  // left as it was for the next connection
}

TEST_F(PollCycleTest, APortClosedMidTickEndsTheTickWithoutCounting)
{
    bus.addUnit(0, 20);
    bus.addUnit(1, 20);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    port.afterWrite = [this](const Bytes&) { port.close(); };
    tick();
    EXPECT_EQ(station.link.devices[0].timeoutCount, 0);
    EXPECT_EQ(station.link.devices[1].timeoutCount, 0);
    EXPECT_EQ(station.link.pollToggle, 0);  // the closed port ended the tick before the flip
    EXPECT_TRUE(klvLogLines().empty());
}
