#include <gtest/gtest.h>

#include "sim/sim_options.h"

using namespace klv::sim;

namespace {
SimOptions parse(std::vector<std::string> args) { return parseSimOptions(args); }
}  // namespace

TEST(SimOptions, ParsesUnitsSpeedTimingAndFaults)
{
    SimOptions o = parse({"--link",     "/tmp/x",      "--unit",     "2:31:10100000",   "--unit",
                          "5:99",       "--speed",     "60",         "--line-timing",   "--fault",
                          "2:late=250", "--fault",     "2:checksum", "--fault",         "5:silent-after=1.5",
                          "--fault",    "5:runaway=7", "--fault",    "5:stop-early=30", "--unplug",
                          "10:2.5"});
    EXPECT_EQ(o.linkPath, "/tmp/x");
    ASSERT_EQ(o.units.size(), 2u);
    EXPECT_EQ(o.units[0].address, 2);
    EXPECT_EQ(o.units[0].modelCode, 31);
    EXPECT_EQ(o.units[0].presence, (Presence{true, false, true, false, false, false, false, false}));
    EXPECT_EQ(o.units[1].presence, kAllPresent);
    EXPECT_DOUBLE_EQ(o.speed, 60);
    EXPECT_TRUE(o.lineTiming);
    EXPECT_EQ(o.faults.at(2).lateMs, 250u);
    EXPECT_TRUE(o.faults.at(2).badChecksum);
    EXPECT_EQ(o.faults.at(5).silentAfterMs, 1500u);
    EXPECT_EQ(o.faults.at(5).runawayChannel, 7);
    EXPECT_EQ(o.faults.at(5).stopAfterSeconds, 30);
    ASSERT_TRUE(o.unplug);
    EXPECT_DOUBLE_EQ(o.unplug->atSeconds, 10);
    EXPECT_DOUBLE_EQ(o.unplug->forSeconds, 2.5);

    SimBus bus;
    setUpBus(bus, o);
    ASSERT_NE(bus.unit(2), nullptr);
    EXPECT_EQ(bus.unit(2)->faults.lateMs, 250u);
    EXPECT_FALSE(bus.unit(2)->channel(1).present);
    EXPECT_EQ(bus.unit(5)->modelCode(), 99);
}

TEST(SimOptions, WithoutUnitsTwoModelsServe)
{
    SimBus bus;
    setUpBus(bus, parse({"--link", "p"}));
    ASSERT_NE(bus.unit(0), nullptr);
    ASSERT_NE(bus.unit(1), nullptr);
    EXPECT_EQ(bus.unit(0)->modelCode(), 20);
    EXPECT_EQ(bus.unit(1)->modelCode(), 22);
    EXPECT_EQ(bus.unit(2), nullptr);
}

TEST(SimOptions, RefusesWhatItCannotServe)
{
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {},                                      // no link
             {"--link"},                              // no value
             {"--link", "p", "--unit", "6:20"},       // address beyond 5
             {"--link", "p", "--unit", "1:20:1111"},  // short presence
             {"--link", "p", "--unit", "1:20", "--unit", "1:22"},
             {"--link", "p", "--speed", "0"},
             {"--link", "p", "--fault", "3:silent"},  // no unit at 3
             {"--link", "p", "--fault", "0:silent=2"},
             {"--link", "p", "--fault", "0:late"},
             {"--link", "p", "--fault", "0:melt"},
             {"--link", "p", "--colour"},
             {"--link", "p", "--unplug", "10"},  // no duration
         })
        EXPECT_THROW(parse(bad), std::invalid_argument) << ::testing::PrintToString(bad);
}
