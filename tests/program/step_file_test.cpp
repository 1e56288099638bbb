#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "platform/text_file.h"
#include "program/step_file.h"
#include "step_tables.h"

namespace klv {
namespace {

using test::stepTable;

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "klv-step-" + name; }

std::string rawBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << f.rdbuf();
    return bytes.str();
}

void writeRaw(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(StepFile, WritesTheRowsBeforeTheFirstEmptyRowInGbkWithCrLf)
{
    const TextGrid table = stepTable({{"恒流放", "00.50", "02.75", "", "0"},
                                      {"恒压充", "00.50", "04.20", "00.05", "30"},
                                      {"循环", "00.00", "00.00", "00.00", "3"},
                                      {"", "", "", "", ""},
                                      {"搁置", "00.00", "00.00", "00.00", "5"}});
    const std::string path = tempPath("three.stp");
    ASSERT_TRUE(writeStepFile(path, table));

    const std::string expected =
        "----------www.cellward.example--------------\r\n"
        "011:\xBA\xE3\xC1\xF7\xB7\xC5\r\n012:00.50\r\n013:02.75\r\n014:\r\n015:0\r\n"
        "021:\xBA\xE3\xD1\xB9\xB3\xE4\r\n022:00.50\r\n023:04.20\r\n024:00.05\r\n025:30\r\n"
        "031:\xD1\xAD\xBB\xB7\r\n032:00.00\r\n033:00.00\r\n034:00.00\r\n035:3\r\n";
    EXPECT_EQ(rawBytes(path), expected);
}

TEST(StepFile, ATenRowProgramReadsBackCellForCell)
{
    TextGrid table = newStepTable();
    for (int r = 1; r <= 10; ++r) {
        table.at(r, 1) = r % 2 ? "恒流放" : "搁置";
        table.at(r, 2) = "0." + std::to_string(r);
        table.at(r, 3) = r == 4 ? "" : "0" + std::to_string(r % 10) + ".00";
        table.at(r, 4) = "";
        table.at(r, 5) = std::to_string(r * 7);
    }
    const std::string path = tempPath("ten.stp");
    ASSERT_TRUE(writeStepFile(path, table));
    const auto lines = readLines(path);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 51u);
    EXPECT_EQ((*lines)[46], "101:搁置");
    EXPECT_EQ((*lines)[50], "105:70");

    // Whatever the editor held before is replaced.
    TextGrid read = stepTable({{"恒压充", "1", "2", "3", "4"}, {"恒压充", "1", "2", "3", "4"}});
    ASSERT_TRUE(readStepFile(path, read));
    EXPECT_EQ(read.cells, table.cells);
}

TEST(StepFile, ReadingReplacesTheListedSteps)
{
    const std::string path = tempPath("one.stp");
    ASSERT_TRUE(writeStepFile(path, stepTable({{"搁置", "00.00", "00.00", "00.00", "5"}})));
    TextGrid read = stepTable({{"恒流放", "00.50", "02.75", "00.00", "0"}, {"恒压充", "00.50", "04.20", "00.05", "0"}});
    ASSERT_TRUE(readStepFile(path, read));
    EXPECT_EQ(read.cells, stepTable({{"搁置", "00.00", "00.00", "00.00", "5"}}).cells);

    // A file that cannot be read still leaves the steps cleared, and says so.
    EXPECT_FALSE(readStepFile(tempPath("missing.stp"), read));
    EXPECT_EQ(read.cells, newStepTable().cells);
}

TEST(StepFile, MalformedRecordsAreSkipped)
{
    const std::string path = tempPath("bad.stp");
    writeRaw(path,
             "011:\xCB\xE8\r\n"          // line 1 is never a record
             "021:\xB8\xE9\xD6\xC3\r\n"  // 搁置
             "025:7\n"                   // LF alone ends a line too
             "023\xA3\xBA"
             "03.60\r\n"                    // any one character separates, here a GBK full-width colon
             "02\r\n031\r\n\r\n"            // shorter than four characters
             "0a1:x\r\n 11:x\r\n1x1:x\r\n"  // not digits
             "001:header\r\n111:x\r\n991:x\r\n010:x\r\n016:x\r\n019:x\r\n"  // row or column out of range
             "\xFF\xFE\x01\x80garbage\r\n"
             "041:\r\n"    // four characters: an empty cell
             "105:\xCB");  // half a GBK character at the end of the file
    TextGrid read = newStepTable();
    read.at(4, 1) = "old";
    ASSERT_TRUE(readStepFile(path, read));

    TextGrid expected = newStepTable();
    expected.at(2, 1) = "搁置";
    expected.at(2, 5) = "7";
    expected.at(2, 3) = "03.60";
    expected.at(10, 5) = "?";
    EXPECT_EQ(read.cells, expected.cells);
}

TEST(StepFile, RandomBytesNeverBreakTheTable)
{
    std::mt19937 random(20240312);
    std::uniform_int_distribution<int> byte(0, 255), digit('0', '9');
    const std::string path = tempPath("noise.stp");
    for (int round = 0; round < 50; ++round) {
        std::string bytes;
        for (int i = 0; i < 600; ++i) {
            // Plenty of digits and line ends, so that many lines look like records.
            const int pick = byte(random);
            bytes += pick < 100 ? static_cast<char>(digit(random)) : pick < 130 ? '\n' : static_cast<char>(pick);
        }
        writeRaw(path, bytes);
        TextGrid read = newStepTable();
        ASSERT_TRUE(readStepFile(path, read));
        ASSERT_EQ(read.cells.size(), 66u);
        const TextGrid fresh = newStepTable();
        for (int c = 0; c < 6; ++c)
            ASSERT_EQ(read.at(0, c), fresh.at(0, c));
        for (int r = 1; r <= 10; ++r)
            ASSERT_EQ(read.at(r, 0), fresh.at(r, 0));
    }
}

TEST(StepFile, NamesEndingInStp)
{
    EXPECT_TRUE(isStepFileName("/tmp/a.stp"));
    EXPECT_TRUE(isStepFileName("stp"));
    EXPECT_FALSE(isStepFileName("/tmp/a.STP"));
    EXPECT_FALSE(isStepFileName("st"));
    EXPECT_FALSE(isStepFileName(""));

    EXPECT_EQ(stepFileSaveName("/tmp/prog"), "/tmp/prog.stp");
    EXPECT_EQ(stepFileSaveName("/tmp/prog.stp"), "/tmp/prog.stp");
    EXPECT_EQ(stepFileSaveName("/tmp/progstp"), "/tmp/progstp");
    EXPECT_EQ(stepFileSaveName("/tmp/prog.STP"), "/tmp/prog.STP.stp");
}

}  // namespace
}  // namespace klv
