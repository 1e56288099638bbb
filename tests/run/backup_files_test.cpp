#include <gtest/gtest.h>

#include <filesystem>

#include "data/data_lines.h"
#include "data/data_station.h"
#include "platform/text_file.h"
#include "run/backup_files.h"

using namespace klv;

namespace {

// The labels as GBK bytes, written out by hand so that the files are checked byte for byte.
const std::string kGbkDevice = "\xc9\xe8\xb1\xb8:";
const std::string kGbkChannel = "\xcd\xa8\xb5\xc0:";
const std::string kGbkStep = "\xb9\xa4\xb2\xbd:";
const std::string kGbkDischarge = "\xba\xe3\xc1\xf7\xb7\xc5";
const std::string kGbkCharge = "\xba\xe3\xd1\xb9\xb3\xe4";
const std::string kGbkRest = "\xb8\xe9\xd6\xc3";
const std::string kGbkLoop = "\xd1\xad\xbb\xb7";
const std::string kBanner = "----------www.cellward.example--------------\r\n";

const std::vector<std::array<std::string, 5>> kThreeStepsAndLoop = {
    {"恒流放", "0.500", "02.75", "0.000", "0"}, {"搁置", "0.000", "00.00", "0.000", "10"},
    {"恒压充", "0.500", "04.20", "0.050", "0"}, {"循环", "0.000", "00.00", "0.000", "3"},
    {"搁置", "0.000", "00.00", "0.000", "5"},  // after the loop row: kept in the table, never run
};

size_t stepLineCount(const std::vector<std::string>& lines)
{
    size_t count = 0;
    for (const auto& line : lines)
        count += line.starts_with("工步:");
    return count;
}

size_t entriesIn(const std::string& folder)
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

TEST(BackupFilesTest, StartWritesExactHeadersAndLinesAreAppendedAfterThem)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 1000);
    bench.station.link.portNumber = 3;
    const int slot = slotOf(0, 1);
    bench.setProgram(slot, kThreeStepsAndLoop, 3);

    const std::string base = backupBaseName(bench.station, slot);
    EXPECT_EQ(base, bench.home.path() + "/klv-com3-1-2");
    bench.station.run.slots[slot].backupBase = base;
    ASSERT_TRUE(createBackupFiles(bench.station, slot));

    const std::string bk0Header = kGbkDevice + "TAL-M1\r\n" + kGbkChannel + "1-2\r\n" + kGbkStep + "1\t" +
                                  kGbkDischarge + "\t0.500\t02.75\t0.000\t0\r\n" + kGbkStep + "2\t" + kGbkRest +
                                  "\t0.000\t00.00\t0.000\t10\r\n" + kGbkStep + "3\t" + kGbkCharge +
                                  "\t0.500\t04.20\t0.050\t0\r\n" + kGbkStep + "4\t" + kGbkLoop +
                                  "\t0.000\t00.00\t0.000\t3\r\n" + kBanner + "Time(S)\tCur(A)\tVol(V)\r\n";
    const std::string bk1Header = kGbkDevice + "TAL-M1\r\n" + kGbkChannel + "1-2\r\n" + kBanner + kGbkLoop +
                                  "\t\xb2\xbd\xd6\xe8\t\xc4\xa3\xca\xbd\t\xc8\xdd\xc1\xbf(Ah)\t\xc4\xdc\xc1\xbf(Wh)"
                                  "\t\xca\xb1\xbc\xe4(S)\r\n";
    EXPECT_EQ(fileBytes(base + ".bk0"), bk0Header);
    EXPECT_EQ(fileBytes(base + ".bk1"), bk1Header);

    bench.setResult(slot, 1, {"1", "1", "恒流放", "0.512", "1.843", "01:02:03"});
    ASSERT_TRUE(appendSample(bench.station, slot, sampleLine(12, 1.25f, 3.702f, 1000)));
    ASSERT_TRUE(appendSample(bench.station, slot, sampleLine(14, 1.25f, 3.69f, 1000)));
    ASSERT_TRUE(appendResult(bench.station, slot, resultLine(bench.station.run.slots[slot].gridList, 1)));
    EXPECT_EQ(fileBytes(base + ".bk0"), bk0Header + "12\t1.250\t3.702\r\n14\t1.250\t3.690\r\n");
    EXPECT_EQ(fileBytes(base + ".bk1"), bk1Header + "1\t1\t" + kGbkDischarge + "\t0.512\t1.843\t01:02:03\r\n");

    // A new start of the same slot on the same port begins both files again.
    ASSERT_TRUE(createBackupFiles(bench.station, slot));
    EXPECT_EQ(fileBytes(base + ".bk0"), bk0Header);
    EXPECT_EQ(fileBytes(base + ".bk1"), bk1Header);
}

TEST(BackupFilesTest, TheLoopRowIsWrittenOnlyWhenItEndsAShortProgram)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 1000);

    bench.setProgram(0,
                     {{"恒流放", "0.500", "02.75", "0.000", "0"},
                      {"搁置", "0.000", "00.00", "0.000", "1"},
                      {"恒压充", "0.500", "04.20", "0.050", "0"}},
                     3);
    EXPECT_EQ(stepLineCount(programHeaderLines(bench.station, 0)), 3u);

    // Ten steps leave no row for a loop; nothing past row 10 is looked at.
    std::vector<std::array<std::string, 5>> ten(10, {"恒流放", "0.500", "02.75", "0.000", "1"});
    bench.setProgram(1, ten, 10);
    const auto tenLines = programHeaderLines(bench.station, 1);
    EXPECT_EQ(stepLineCount(tenLines), 10u);
    EXPECT_EQ(tenLines[11], "工步:10\t恒流放\t0.500\t02.75\t0.000\t1");
    EXPECT_EQ(tenLines.back(), kBanner.substr(0, kBanner.size() - 2));

    // A loop row in row 1: no steps, the loop row alone.
    bench.setProgram(2, {{"循环", "0.000", "00.00", "0.000", "4"}}, 0);
    const auto loopOnly = programHeaderLines(bench.station, 2);
    ASSERT_EQ(stepLineCount(loopOnly), 1u);
    EXPECT_EQ(loopOnly[2], "工步:1\t循环\t0.000\t00.00\t0.000\t4");
}

TEST(BackupFilesTest, TestsOnTwoPortsKeepSeparateBackups)
{
    DataStation bench;
    bench.addDevice(1, "TAL-M1", 4, 1000);
    const int slot = slotOf(1, 5);
    bench.setProgram(slot, kThreeStepsAndLoop, 3);

    bench.station.link.portNumber = 1;
    const std::string first = backupBaseName(bench.station, slot);
    EXPECT_EQ(first, bench.home.path() + "/klv-com1-2-6");
    bench.station.run.slots[slot].backupBase = first;
    ASSERT_TRUE(createBackupFiles(bench.station, slot));
    ASSERT_TRUE(appendSample(bench.station, slot, sampleLine(2, 1, 3.8f, 1000)));

    bench.station.link.portNumber = 12;
    const std::string second = backupBaseName(bench.station, slot);
    EXPECT_EQ(second, bench.home.path() + "/klv-com12-2-6");
    bench.station.run.slots[slot].backupBase = second;
    ASSERT_TRUE(createBackupFiles(bench.station, slot));

    const auto firstLines = readLines(first + ".bk0");
    ASSERT_TRUE(firstLines);
    EXPECT_EQ(firstLines->back(), "2\t1.000\t3.800");
    EXPECT_EQ(readLines(second + ".bk0")->back(), "Time(S)\tCur(A)\tVol(V)");
}

TEST(BackupFilesTest, AutoSaveNeedsTheCheckMarkAndTheDataFolder)
{
    DataStation bench({2024, 3, 5, 9, 7, 3});
    bench.addDevice(0, "TAL-M1", 1, 1000);
    bench.setProgram(0, kThreeStepsAndLoop, 3);
    bench.addPoint(0, 0, 1.25f, 3.702f);
    bench.setResult(0, 1, {"1", "1", "恒流放", "0.512", "1.843", "01:02:03"});
    const std::string data = bench.home.path() + "/Data";

    bench.station.run.autoSave = true;
    autoSave(bench.station, 0);
    EXPECT_FALSE(folderExists(data));
    EXPECT_EQ(entriesIn(bench.home.path()), 0u);

    ASSERT_TRUE(makeFolder(data));
    bench.station.run.autoSave = false;
    autoSave(bench.station, 0);
    EXPECT_EQ(entriesIn(data), 0u);

    bench.station.run.autoSave = true;
    const std::string base = data + "/202435-973-2-1";
    EXPECT_EQ(autoSaveBaseName(bench.station, 0), base);
    autoSave(bench.station, 0);
    EXPECT_TRUE(fileExists(base + ".dat"));
    EXPECT_EQ(readLines(base + ".run")->back(), "1\t1\t恒流放\t0.512\t1.843\t01:02:03");

    // A test stopped before its first sample: the data file's header alone, and no result file.
    autoSave(bench.station, 1);
    const auto header = readLines(data + "/202435-973-2-2.dat");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->back(), "Time(S)\tCur(A)\tVol(V)");
    EXPECT_FALSE(fileExists(data + "/202435-973-2-2.run"));
}
