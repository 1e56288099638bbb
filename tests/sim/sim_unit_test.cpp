#include <gtest/gtest.h>

#include "link/frame.h"
#include "sim/reading_encode.h"
#include "sim/sim_bus.h"
#include "sim/sim_helpers.h"

using namespace klv;
using namespace klv::sim;
using namespace klv::sim::testing;

TEST(SimUnit, IdentityAnswerCarriesModelIdentityAndPresence)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(3, 22, {true, false, true, true, false, false, true, true});
    unit.secondIdentity = 7;

    auto reply = bus.handle({0xFA, 0x03, 0x00, 0x01, 0x22, 0x22, 0xF8});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, (Bytes{0xFA, 0x03, 0x00, 0x0B, 0x22, 0x16, 0x07, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
                                   0x01, 0x32, 0xF8}));
    EXPECT_EQ(reply->delayMs, 0u);

    // Nobody at address 4; a spoilt checksum, end byte or length gets no answer either.
    EXPECT_FALSE(bus.handle({0xFA, 0x04, 0x00, 0x01, 0x22, 0x22, 0xF8}));
    EXPECT_FALSE(bus.handle({0xFA, 0x03, 0x00, 0x01, 0x22, 0x23, 0xF8}));
    EXPECT_FALSE(bus.handle({0xFA, 0x03, 0x00, 0x01, 0x22, 0x22, 0xF7}));
    EXPECT_FALSE(bus.handle({0xFA, 0x03, 0x00, 0x02, 0x22, 0x22, 0xF8}));
    EXPECT_FALSE(bus.handle({0xFA, 0x03, 0x00, 0x01, 0x23, 0x23, 0xF8}));  // not the identity query
}

TEST(SimUnit, StatusEntriesEncodeReadingsWithTheUnitsScalesAndRanges)
{
    SimBus bus;
    SimUnit& m3 = bus.addUnit(0, 20, {true, true, true, true, true, true, true, false});
    SimChannel& ch = m3.channel(2);
    ch.running = true;
    ch.current = 1.0;
    ch.voltage = 4.138;
    ch.capacityAh = 30.736;
    ch.energyWh = 0;

    auto reply = bus.handle(statusPolls(0));
    ASSERT_TRUE(reply);
    const Bytes& b = reply->bytes;
    ASSERT_EQ(b.size(), 86u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), (Bytes{0xFA, 0x00, 0x01, 0x50}));
    EXPECT_EQ(Bytes(b.begin() + 24, b.begin() + 34),
              (Bytes{0x55, 0x01, 0x04, 0x28, 0x11, 0x3A, 0x80, 0x10, 0x00, 0x00}));
    EXPECT_EQ(Bytes(b.begin() + 74, b.begin() + 84), (Bytes{0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0}));  // channel 7 absent
    EXPECT_TRUE(verifyChecksum(b, 4, 84));
    EXPECT_EQ(b[85], 0xF8);

    // TAL-M8 reads currents in 10 mA; TAL-M10 runs above 32.767 V, so its voltage takes the 0.01 V range.
    SimUnit& m8 = bus.addUnit(1, 28);
    m8.channel(0).running = true;
    m8.channel(0).current = 12.34;
    SimUnit& m10 = bus.addUnit(2, 31);
    m10.channel(0).voltage = 48.5;
    // The capacity counter restarts after 119.304 Ah.
    m10.channel(0).capacityAh = kCapacityWrapAh + 5.0;
    auto m8Reply = bus.handle(statusPolls(1));
    auto m10Reply = bus.handle(statusPolls(2));
    ASSERT_TRUE(m8Reply && m10Reply);
    EXPECT_EQ(Bytes(m8Reply->bytes.begin() + 4, m8Reply->bytes.begin() + 6), (Bytes{0x55, 0x01}));
    EXPECT_EQ(Bytes(m8Reply->bytes.begin() + 6, m8Reply->bytes.begin() + 8), (Bytes{0x05, 0x22}));
    EXPECT_EQ(Bytes(m10Reply->bytes.begin() + 8, m10Reply->bytes.begin() + 12), (Bytes{0x9C, 0xB2, 0x14, 0xC8}));
}

TEST(SimUnit, ReadingsTakeTheFinestRangeThatHoldsThem)
{
    EXPECT_EQ(encodeTwoRange(32.767), 32767);
    EXPECT_EQ(encodeTwoRange(32.7676), 32768 + 3277);  // rounds past the fine range
    EXPECT_EQ(encodeTwoRange(-0.2), 0);
    EXPECT_EQ(encodeTwoRange(900.0), kPairMax);
    EXPECT_EQ(encodeThreeRange(204.79), 53247);
    EXPECT_EQ(encodeThreeRange(204.8), 53248 + 2048);
    EXPECT_EQ(encodeThreeRange(1000.0), kPairMax);

    // Whatever the value, the station reads it back within half a step of the range used.
    for (double v = 0; v < 430; v = v * 1.01 + 0.0007) {
        double step = v < 32.7675 ? 0.001 : 0.01;
        if (v < 248) {  // the two-range form ends at 248.31
            EXPECT_NEAR(decodeTwoRange(encodeTwoRange(v)), v, step / 2 + 1e-6) << v;
        }
        double step3 = v < 32.7675 ? 0.001 : v < 204.795 ? 0.01 : 0.1;
        EXPECT_NEAR(decodeThreeRange(encodeThreeRange(v)), v, step3 / 2 + 1e-5) << v;
    }
}

TEST(SimUnit, ChannelFrameStartsStopsAndTakesCalibrationWritesSilently)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(1, 22, {true, true, true, true, true, false, true, true});
    unit.channel(1).start(kModeRest, 0, 0, 0);

    // Channel 0: 1.000 A discharge to 2.75 V (end 0.05 A) in the set-current scale 100; channel 1 stop;
    // channel 2 calibration write of item 2; channels 3 and 4 status; channel 5 (absent) start and stop.
    auto reply = bus.handle(channelFrame(1, {{0x33, 0x10, 0x00, 0x64, 0x01, 0x23, 0x00, 0x05},
                                             {0x66, 0x00},
                                             {0x77, 0x02, 0x05, 0x22},
                                             {0x55},
                                             {0x55},
                                             startEntry(17, 100, 420, 5)}));
    ASSERT_TRUE(reply);
    const Bytes& b = reply->bytes;
    ASSERT_EQ(b.size(), 6u + 2 + 2 + 10 + 10 + 2);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), (Bytes{0xFA, 0x01, 0x01, 0x1A, 0x33, 0x01, 0x66, 0x01}));
    EXPECT_EQ(b[8], 0x55);  // straight on with channel 3: nothing for the calibration write
    EXPECT_EQ(b[9], 0);
    EXPECT_EQ(Bytes(b.begin() + 28, b.begin() + 30), (Bytes{0x33, 0x00}));  // absent channel refuses
    EXPECT_TRUE(verifyChecksum(b, 4, static_cast<int>(b.size()) - 2));

    const SimChannel& c0 = unit.channel(0);
    EXPECT_TRUE(c0.running);
    EXPECT_EQ(c0.mode, kModeDischarge);
    EXPECT_DOUBLE_EQ(c0.setCurrent, 1.0);
    EXPECT_DOUBLE_EQ(c0.setVoltage, 2.75);
    EXPECT_DOUBLE_EQ(c0.endCurrent, 0.05);
    EXPECT_DOUBLE_EQ(c0.current, 1.0);
    EXPECT_FALSE(unit.channel(1).running);
    EXPECT_EQ(unit.channel(2).calibrationWrites, (std::vector<CalibrationWrite>{{2, 1234}}));
    EXPECT_FALSE(unit.channel(5).running);

    // Stop clears running and the status shows it; stop on the absent channel answers 0.
    reply = bus.handle(channelFrame(1, {{0x66, 0x00}, {0x55}, {0x55}, {0x55}, {0x55}, {0x66, 0x00}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(Bytes(reply->bytes.begin() + 4, reply->bytes.begin() + 6), (Bytes{0x66, 0x01}));
    EXPECT_EQ(Bytes(reply->bytes.begin() + 46, reply->bytes.begin() + 48), (Bytes{0x66, 0x00}));
    EXPECT_FALSE(unit.channel(0).running);
    EXPECT_FALSE(readChannel(bus, 1, 0).running);

    // A calibration-only frame is answered by a frame with no entries.
    reply = bus.handle(channelFrame(1, {{0x77, 0x04, 0x00, 0x00}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, (Bytes{0xFA, 0x01, 0x01, 0x00, 0x00, 0xF8}));
    EXPECT_EQ(unit.channel(0).calibrationWrites.back(), (CalibrationWrite{4, 0}));
}

TEST(SimUnit, SetCurrentsFollowTheModelsScaleAndBadFramesChangeNothing)
{
    SimBus bus;
    SimUnit& unit = bus.addUnit(0, 20);  // TAL-M3 takes set currents in mA
    ASSERT_TRUE(bus.handle(channelFrame(0, {startEntry(17, 500, 420, 50)})));
    EXPECT_DOUBLE_EQ(unit.channel(0).setCurrent, 0.5);
    EXPECT_DOUBLE_EQ(unit.channel(0).endCurrent, 0.05);
    EXPECT_EQ(unit.channel(0).mode, kModeCharge);

    // An unknown entry, a cut entry or a ninth entry spoils the whole frame: no answer, no start.
    EXPECT_FALSE(bus.handle(channelFrame(0, {{0x55}, startEntry(16, 100, 300, 0), {0x44}})));
    EXPECT_FALSE(bus.handle(channelFrame(0, {{0x55}, startEntry(16, 100, 300, 0), {0x33, 0x10, 0x00}})));
    EXPECT_FALSE(bus.handle(channelFrame(
        0, {{0x55}, startEntry(16, 100, 300, 0), {0x55}, {0x55}, {0x55}, {0x55}, {0x55}, {0x55}, {0x55}})));
    EXPECT_FALSE(unit.channel(1).running);
}
