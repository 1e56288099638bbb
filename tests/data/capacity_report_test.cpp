#include <gtest/gtest.h>

#include "data/capacity_report.h"
#include "data/capacity_screen.h"
#include "data/data_station.h"
#include "platform/text_file.h"

using namespace klv;

namespace {

// Two devices at bus addresses 2 and 4; channels connected as given, results as given.
struct ReportBench : DataStation {
    ReportBench()
    {
        addDevice(0, "TAL-M1", 2, 1000);
        addDevice(1, "TAL-M1", 4, 1000);
    }

    void connect(int device, int channel, int loopPass = 1)
    {
        station.ui.panels[device].Conn[channel] = true;
        station.run.slots[slotOf(device, channel)].loopPass = loopPass;
    }

    // Rows of cycle, step, mode, capacity.
    void results(int slot, const std::vector<std::array<std::string, 4>>& rows)
    {
        growResults(slot, static_cast<int>(rows.size()));
        for (size_t r = 0; r < rows.size(); ++r)
            setResult(slot, static_cast<int>(r) + 1,
                      {rows[r][0], rows[r][1], rows[r][2], rows[r][3], "0.000", "0:01:00"});
    }

    int colour(int device, int channel) const { return station.ui.panels[device].tiles[channel].ChnColor; }
};

CapacityQuery everything(CapacityType type = CapacityType::All) { return {0, 1, 1, 99, type}; }

}  // namespace

TEST(CapacityReportTest, OfferedCyclesFollowTheSlowestConnectedChannel)
{
    ReportBench b;
    EXPECT_EQ(presentDevices(b.station), (std::vector<int>{0, 1}));
    const auto range = [&](int first, int last) {
        const CycleRange r = offeredCycles(b.station, first, last);
        return std::pair(r.first, r.last);
    };
    EXPECT_EQ(range(0, 1), std::pair(1, 1));  // nothing connected
    b.connect(0, 3, 15);
    b.connect(1, 0, 40);
    b.station.run.slots[slotOf(1, 5)].loopPass = 2;  // not connected: not counted
    EXPECT_EQ(range(0, 1), std::pair(5, 15));
    EXPECT_EQ(range(1, 1), std::pair(30, 40));
    EXPECT_EQ(range(1, 0), std::pair(1, 1));  // a first device after the last: no devices
    b.connect(0, 4, 10);
    EXPECT_EQ(range(0, 0), std::pair(1, 10));
}

TEST(CapacityReportTest, ReportRowsTakeSelectedStepsOfConnectedChannelsTenAtMost)
{
    ReportBench b;
    b.connect(0, 1);
    b.connect(0, 2);
    b.connect(1, 7);
    std::vector<std::array<std::string, 4>> twelve;
    for (int c = 1; c <= 12; ++c)
        twelve.push_back({std::to_string(c), "1", "恒流放", "1.2345"});
    b.results(slotOf(0, 1), twelve);
    b.results(slotOf(0, 2), {{"1", "1", "搁置", "0"}, {"1", "2", "搁置", "0"}});  // rests only: no row
    b.results(slotOf(0, 5), {{"1", "1", "恒流放", "1.0"}});                       // not connected
    b.results(slotOf(1, 7), {{"5", "1", "恒流放", "1.5"}, {"5", "2", "恒压充", "1.6"}, {"6", "1", "恒流放", "1.4"}});

    const auto fill = [&](const CapacityQuery& query) { return fillReport(snapshotChannels(b.station, query)); };
    TextGrid report = fill(everything());
    EXPECT_EQ(report.at(1, 0), " 1-2");
    EXPECT_EQ(report.at(1, 1), "1-1 恒流放");
    EXPECT_EQ(report.at(1, 2), "1.235");  // single precision, "0.000"
    EXPECT_EQ(report.at(1, 19), "10-1 恒流放");
    EXPECT_EQ(report.at(1, 20), "1.235");
    EXPECT_EQ(report.at(2, 0), " 2-8");
    EXPECT_EQ(report.at(2, 3), "5-2 恒压充");
    EXPECT_EQ(report.at(3, 0), "");

    // Cycle 5 alone, charge only.
    report = fill({0, 1, 5, 5, CapacityType::Charge});
    EXPECT_EQ(report.at(1, 0), " 2-8");
    EXPECT_EQ(report.at(1, 1), "5-2 恒压充");
    EXPECT_EQ(report.at(1, 3), "");

    // A damaged row ends the filling; what came before it stays.
    b.results(slotOf(1, 7), {{"5", "1", "恒流放", "1.5"}, {"x", "2", "恒压充", "1.6"}});
    report = fill(everything());
    EXPECT_EQ(report.at(1, 0), " 1-2");
    EXPECT_EQ(report.at(2, 0), "");
}

TEST(CapacityReportTest, SavedReportHas49LinesAndAppendsCsvUnlessTheNameEndsInLowerCaseCsv)
{
    ReportBench b;
    b.connect(0, 0);
    b.results(slotOf(0, 0), {{"1", "1", "恒流放", "2"}});
    const TextGrid report = fillReport(snapshotChannels(b.station, everything()));

    const std::string dir = b.home.path();
    ASSERT_TRUE(saveReport(report, dir + "/a"));
    ASSERT_TRUE(saveReport(report, dir + "/b.CSV"));
    ASSERT_TRUE(saveReport(report, dir + "/c.csv"));
    EXPECT_TRUE(fileExists(dir + "/a.csv"));
    EXPECT_TRUE(fileExists(dir + "/b.CSV.csv"));
    EXPECT_FALSE(fileExists(dir + "/c.csv.csv"));
    const auto lines = readLines(dir + "/c.csv");
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 49u);
    EXPECT_EQ(lines->at(0),
              "通道,工步,容量(Ah),工步,容量(Ah),工步,容量(Ah),工步,容量(Ah),工步,容量(Ah),工步,容量(Ah),"
              "工步,容量(Ah),工步,容量(Ah),工步,容量(Ah),工步,容量(Ah),");
    EXPECT_EQ(lines->at(1), " 1-1,1-1 恒流放,2.000,,,,,,,,,,,,,,,,,,,");
    EXPECT_EQ(lines->at(2), "");
    const std::string bytes = fileBytes(dir + "/c.csv");
    const std::string header = utf8ToGbk(lines->at(0));
    EXPECT_EQ(bytes.substr(0, header.size() + 2), header + "\r\n");  // GBK, CR LF
    EXPECT_EQ(bytes.size(), header.size() + utf8ToGbk(lines->at(1)).size() + 49 * 2);
    EXPECT_TRUE(reportRowShaded(2));
    EXPECT_FALSE(reportRowShaded(1));
    EXPECT_TRUE(reportRowShaded(48));
    EXPECT_FALSE(saveReport(report, dir + "/no such folder/x"));
}

TEST(CapacityScreenTest, ChannelsPassWhenEverySelectedCapacityIsWithinTheBoundsInclusive)
{
    ReportBench b;
    for (int i = 0; i < 6; ++i)
        b.connect(0, i);
    b.results(slotOf(0, 0), {{"1", "1", "恒流放", "1.00"}, {"1", "2", "恒流放", "2.00"}});  // both bounds exactly
    b.results(slotOf(0, 1), {{"1", "1", "恒流放", "1.50"}, {"1", "2", "恒流放", "2.01"}});
    b.results(slotOf(0, 2), {{"1", "1", "搁置", "5.00"}});                                  // nothing selected
    b.results(slotOf(0, 3), {{"1", "1", "恒压充", "9.00"}, {"1", "2", "恒流放", "1.20"}});  // charge not asked for
    b.results(slotOf(0, 6), {{"1", "1", "恒流放", "1.50"}});                                // not connected
    b.results(slotOf(0, 4), {{"2", "1", "恒流放", "1.50"}});                                // outside the cycles
    b.station.ui.panels[0].tiles[6].ChnColor = kScreenPass;
    b.station.ui.panels[1].tiles[0].ChnColor = 0x123456;

    applyScreening(b.station,
                   screenChannels(snapshotChannels(b.station, {0, 0, 1, 1, CapacityType::Discharge}), 1.0f, 2.0f));
    const std::vector<int> expected = {kScreenPass, kScreenFail, kScreenFail, kScreenPass,
                                       kScreenFail, kScreenFail, kScreenFail, kScreenFail};
    for (int i = 0; i < kChannelsPerDevice; ++i)
        EXPECT_EQ(b.colour(0, i), expected[static_cast<size_t>(i)]) << "channel " << i + 1;
    EXPECT_EQ(b.colour(1, 0), 0x123456);  // outside the device range: untouched

    b.station.ui.panels[1].tiles[3].ChnColor = kScreenPass;
    clearScreening(b.station);
    EXPECT_EQ(b.colour(0, 0), kScreenFail);
    EXPECT_EQ(b.colour(1, 3), kScreenFail);

    EXPECT_EQ(boundText("1.5"), "01.50");
    EXPECT_EQ(boundText(" 12.345 "), "12.35");
    EXPECT_EQ(boundText("abc"), std::nullopt);
    EXPECT_EQ(boundText(""), std::nullopt);
}
