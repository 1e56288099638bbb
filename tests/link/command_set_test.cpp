#include <gtest/gtest.h>

#include <vector>

#include "link/command_set.h"
#include "link/frame.h"
#include "platform/virtual_port_wait.h"
#include "station.h"
#include "support/scripted_port.h"

using namespace klv;

namespace {

struct CommandSetTest : ::testing::Test {
    VirtualClock clock;
    VirtualPortWait pump{clock};
    ScriptedPort port{clock};
    Station station{"/nonexistent", port, clock, pump};
    std::vector<int> notified;

    void SetUp() override
    {
        station.link.devices[0].modelCode = 20;
        station.link.devices[0].busAddress = 1;
        applyModelRow(station.link.devices[0]);
        station.onLiveData = [this](int slot) { notified.push_back(slot); };
    }
    SlotLink& slot(int s) { return station.link.slots[s]; }
    // An answer frame of the given entries for device 0.
    Bytes answer(const std::vector<Bytes>& entries)
    {
        Bytes payload;
        for (const auto& e : entries)
            payload.insert(payload.end(), e.begin(), e.end());
        return buildFrame(1, kFrameChannel, payload);
    }
    Bytes status(std::uint8_t run, int cur, int vol, int cap, int wh)
    {
        auto c = encodePair(cur), v = encodePair(vol), q = encodePair(cap), e = encodePair(wh);
        return {0x55, run, c.first, c.second, v.first, v.second, q.first, q.second, e.first, e.second};
    }
};

}  // namespace

TEST_F(CommandSetTest, IdleFrameStopFrameAndStartEntryAreExact)
{
    ChannelFrame idle = buildChannelFrame(station, 0);
    EXPECT_EQ(idle.frame, (Bytes{0xFA, 1, 1, 8, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x00, 0xF8}));
    EXPECT_EQ(idle.expectedLength, 86);
    EXPECT_TRUE(idle.allStatus);

    AddCmd(station, 0, kQueueStop);
    ChannelFrame stop = buildChannelFrame(station, 0);
    EXPECT_EQ(stop.frame,
              (Bytes{0xFA, 0x01, 0x01, 0x09, 0x66, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x33, 0xF8}));
    EXPECT_EQ(stop.expectedLength, 78);
    EXPECT_FALSE(stop.allStatus);
    EXPECT_EQ(buildChannelFrame(station, 0).frame, stop.frame);  // unconfirmed: the same stop again
    decodeChannelAnswer(station, 0, Bytes{0xFA, 0x01, 0x01, 0x09, 0x66, 0x01});
    EXPECT_TRUE(buildChannelFrame(station, 0).allStatus);  // the echo confirmed it

    station.link.devices[0].setCurrentScale = 100;
    slot(2).startMode = kModeDischarge;
    slot(2).startCurrent = 1.0f;
    slot(2).startVoltage = 2.75f;
    slot(2).startEndCurrent = 0.05f;
    AddCmd(station, 2, kQueueCalibration);
    AddCmd(station, 2, kQueueStart);  // the last code wins
    ChannelFrame start = buildChannelFrame(station, 0);
    EXPECT_EQ(start.expectedLength, 78);
    EXPECT_EQ(Bytes(start.frame.begin() + 6, start.frame.begin() + 14),
              (Bytes{0x33, 0x10, 0x00, 0x64, 0x01, 0x23, 0x00, 0x05}));
}

TEST_F(CommandSetTest, CalibrationAndOutOfRangeEntries)
{
    slot(7).calibrationItem = 2;
    slot(7).calibrationValue = 500;
    AddCmd(station, 7, kQueueCalibration);
    ChannelFrame cal = buildChannelFrame(station, 0);
    EXPECT_EQ(cal.expectedLength, 76);  // a calibration write counts no answer bytes
    EXPECT_EQ(Bytes(cal.frame.end() - 6, cal.frame.end() - 2), (Bytes{0x77, 2, 0x02, 0x14}));

    // A set value that cannot travel never reaches the wire: the channel is polled instead.
    slot(3).startCurrent = 100.0f;  // 100 000 at scale 1000
    slot(3).startVoltage = 4.2f;
    AddCmd(station, 3, kQueueStart);
    ChannelFrame refused = buildChannelFrame(station, 0);
    EXPECT_TRUE(refused.allStatus);
    EXPECT_EQ(refused.expectedLength, 86);

    slot(4).command = 9;  // an unknown code puts no entry at all
    ChannelFrame gap = buildChannelFrame(station, 0);
    EXPECT_EQ(gap.frame[3], 7);
    EXPECT_EQ(gap.expectedLength, 76);

    EXPECT_THROW(AddCmd(station, 49, kQueueStop), std::out_of_range);
    EXPECT_THROW(AddCmd(station, -1, kQueueStop), std::out_of_range);
    EXPECT_NO_THROW(AddCmd(station, 48, kQueueStop));
}

TEST_F(CommandSetTest, StatusEntriesDecodeWithTheStepSecondsRule)
{
    Bytes entry{0x55, 0x01, 0x04, 0x28, 0x11, 0x3A, 0x80, 0x10, 0x00, 0x00};
    std::vector<Bytes> entries(8, status(0, 0, 0, 0, 0));
    entries[0] = entry;
    station.run.slots[0].stepSeconds = 1;
    decodeChannelAnswer(station, 0, answer(entries));
    EXPECT_TRUE(slot(0).running);
    EXPECT_FLOAT_EQ(slot(0).current, 1.0f);
    EXPECT_FLOAT_EQ(slot(0).voltage, 4.138f);
    EXPECT_FLOAT_EQ(slot(0).capacity, 30.736f);
    EXPECT_FLOAT_EQ(slot(0).energy, 0.0f);
    EXPECT_EQ(notified.size(), 8u);

    // Step seconds 0: current and voltage keep their values, the rest moves.
    slot(1).current = 0.7f;
    slot(1).voltage = 3.3f;
    entries[1] = entry;
    station.link.pollToggle = 1;
    notified.clear();
    decodeChannelAnswer(station, 0, answer(entries));
    EXPECT_TRUE(slot(1).running);
    EXPECT_FLOAT_EQ(slot(1).current, 0.7f);
    EXPECT_FLOAT_EQ(slot(1).voltage, 3.3f);
    EXPECT_FLOAT_EQ(slot(1).capacity, 30.736f);
    EXPECT_TRUE(notified.empty());  // status answers notify only on toggle 0
}

TEST_F(CommandSetTest, CapacityWrapsOnlyOnALargeFall)
{
    std::vector<Bytes> entries(8, status(1, 0, 0, 0, 0));
    auto feed = [&](int capPair) {
        entries[0] = status(1, 0, 0, capPair, 0);
        decodeChannelAnswer(station, 0, answer(entries));
    };
    feed(32768 + 11925);  // 119.25 Ah
    feed(50);             // 0.05 Ah
    EXPECT_FLOAT_EQ(slot(0).capacityWrap + slot(0).capacity, 119.354f);
    feed(5000);
    feed(4000);
    EXPECT_FLOAT_EQ(slot(0).capacityWrap, 119.304f);
}

TEST_F(CommandSetTest, EchoesUnknownBytesAndCurrentOverflow)
{
    slot(0).running = true;
    slot(1).running = true;
    slot(2).running = false;
    std::vector<Bytes> entries{{0x66, 0x00}, {0x66, 0x01}, {0x33, 0x01}, {0x77, 0x00}};
    for (int i = 0; i < 4; ++i)
        entries.push_back(status(0, 0, 0, 0, 0));
    station.link.pollToggle = 1;
    decodeChannelAnswer(station, 0, answer(entries));
    EXPECT_TRUE(slot(0).running);
    EXPECT_FALSE(slot(1).running);
    EXPECT_TRUE(slot(2).running);
    EXPECT_EQ(notified, (std::vector<int>{0, 1}));  // stop answers notify on every tick

    // An unexpected byte freezes that channel and every later one.
    slot(5).voltage = 1.5f;
    entries = std::vector<Bytes>(8, status(0, 0, 4000, 0, 0));
    entries[4] = {0x99};
    decodeChannelAnswer(station, 0, answer(entries));
    EXPECT_FLOAT_EQ(slot(3).voltage, 4.0f);
    EXPECT_FLOAT_EQ(slot(5).voltage, 1.5f);

    entries = std::vector<Bytes>(8, status(0, 0, 4100, 0, 0));
    entries[1] = status(0, 32768, 4100, 0, 0);
    EXPECT_THROW(decodeChannelAnswer(station, 0, answer(entries)), AnswerFailure);
    EXPECT_FLOAT_EQ(slot(0).voltage, 4.1f);
    EXPECT_FLOAT_EQ(slot(2).voltage, 4.0f);  // the rest of the answer is not decoded
}
