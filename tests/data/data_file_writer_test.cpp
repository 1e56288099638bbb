#include <gtest/gtest.h>

#include "data/data_file.h"
#include "data/data_station.h"
#include "platform/text_file.h"

using namespace klv;

namespace {

const std::vector<std::array<std::string, 5>> kTwoStepsAndLoop = {
    {"恒流放", "0.500", "02.75", "0.000", "0"},
    {"恒压充", "0.500", "04.20", "0.050", "0"},
    {"循环", "0.000", "00.00", "0.000", "2"},
};

std::vector<std::string> linesOf(const std::string& path)
{
    return readLines(path).value_or(std::vector<std::string>{});
}

}  // namespace

TEST(DataFileWriterTest, RecordsAndResultsComeFromTheChannelTables)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 1000);
    bench.addDevice(1, "TAL-H5", 3, 100);
    const int slot = slotOf(0, 2);
    bench.setProgram(slot, kTwoStepsAndLoop, 2);
    bench.addPoint(slot, 0, 1.25f, 3.702f);
    bench.addPoint(slot, 2, 1.25f, 3.75f);
    bench.addPoint(slot, 4, 0.5f, 3.801f);
    bench.setResult(slot, 1, {"1", "1", "恒流放", "0.512", "1.843", "01:02:03"});
    bench.setResult(slot, 2, {"1", "2", "恒压充", "0.498", "2.010", "27:15:00"});
    bench.setResult(slot, 4, {"2", "1", "恒流放", "9.999", "9.999", "00:00:01"});  // past the first empty row

    // Files of the same name are replaced whole, never appended to.
    const std::string base = bench.home.path() + "/saved";
    ASSERT_TRUE(writeLines(base + ".dat", std::vector<std::string>(40, "old")));
    ASSERT_TRUE(writeLines(base + ".run", std::vector<std::string>(40, "old")));
    writeDataFiles(bench.station, slot, base);

    EXPECT_EQ(linesOf(base + ".dat"), (std::vector<std::string>{
                                          "设备:TAL-M1",
                                          "通道:1-3",
                                          "工步:1\t恒流放\t0.500\t02.75\t0.000\t0",
                                          "工步:2\t恒压充\t0.500\t04.20\t0.050\t0",
                                          "工步:3\t循环\t0.000\t00.00\t0.000\t2",
                                          "----------www.cellward.example--------------",
                                          "Time(S)\tCur(A)\tVol(V)",
                                          "0\t1.250\t3.702",
                                          "2\t1.250\t3.750",
                                          "4\t0.500\t3.801",
                                      }));
    EXPECT_EQ(linesOf(base + ".run"), (std::vector<std::string>{
                                          "设备:TAL-M1",
                                          "通道:1-3",
                                          "----------www.cellward.example--------------",
                                          "循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)",
                                          "1\t1\t恒流放\t0.512\t1.843\t01:02:03",
                                          "1\t2\t恒压充\t0.498\t2.010\t27:15:00",
                                      }));

    // A device reading current at scale 100 gets two integer digits and two decimals.
    const int other = slotOf(1, 1);
    bench.addPoint(other, 7, 1.254f, 3.7f);
    writeDataFiles(bench.station, other, base + "-h");
    const auto lines = linesOf(base + "-h.dat");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "设备:TAL-H5");
    EXPECT_EQ(lines[1], "通道:2-2");
    EXPECT_EQ(lines.back(), "7\t01.25\t3.700");
    // No result row yet: the result file holds its header alone.
    EXPECT_EQ(linesOf(base + "-h.run").size(), 4u);
}

TEST(DataFileWriterTest, AChannelWithoutPointsGetsAHeaderOnlyDataFile)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 1000);
    bench.setProgram(5, kTwoStepsAndLoop, 2);
    bench.setResult(5, 1, {"1", "1", "恒流放", "0.512", "1.843", "01:02:03"});
    const std::string base = bench.home.path() + "/empty";
    ASSERT_TRUE(writeLines(base + ".run", {"a result file of an earlier test"}));
    writeDataFiles(bench.station, 5, base);

    const auto lines = linesOf(base + ".dat");
    ASSERT_EQ(lines.size(), 7u);  // device, channel, two steps, loop row, banner, column titles
    EXPECT_EQ(lines.back(), "Time(S)\tCur(A)\tVol(V)");
    EXPECT_FALSE(fileExists(base + ".run"));  // an older one would be read as this test's results
}

TEST(DataFileWriterTest, AFailureEndsTheWritingAndKeepsWhatWasWritten)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 1000);
    bench.addDevice(1, "TAL-M1", 1, 1000);
    const std::string base = bench.home.path() + "/broken";

    // The current curve lacks the third point: two records, then the writing stops, no result file.
    bench.addPoint(0, 0, 1, 3.6f);
    bench.addPoint(0, 2, 1, 3.5f);
    bench.station.ui.graphs[0].AddXY(0, 4, 3.4f);
    bench.setResult(0, 1, {"1", "1", "恒流放", "0.512", "1.843", "01:02:03"});
    EXPECT_NO_THROW(writeDataFiles(bench.station, 0, base));
    const auto lines = linesOf(base + ".dat");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "2\t1.000\t3.500");
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_FALSE(fileExists(base + ".run"));

    // A graph without the channel's curves: the header stands, nothing follows.
    bench.station.ui.graphs[1].setCurveCount(2);
    EXPECT_NO_THROW(writeDataFiles(bench.station, slotOf(1, 3), base + "-nocurve"));
    EXPECT_EQ(linesOf(base + "-nocurve.dat").back(), "Time(S)\tCur(A)\tVol(V)");
    EXPECT_FALSE(fileExists(base + "-nocurve.run"));

    // A folder that does not exist fails; a slot outside the tables or without a graph has nothing to write.
    EXPECT_FALSE(writeDataFiles(bench.station, 0, bench.home.path() + "/missing/x"));
    EXPECT_FALSE(folderExists(bench.home.path() + "/missing"));
    EXPECT_NO_THROW(writeDataFiles(bench.station, -1, base + "-negative"));
    EXPECT_FALSE(fileExists(base + "-negative.dat"));
    EXPECT_NO_THROW(writeDataFiles(bench.station, kUsedSlots, base + "-slot48"));
    EXPECT_FALSE(fileExists(base + "-slot48.run"));
}
