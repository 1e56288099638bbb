#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/text_file.h"
#include "program/step_file.h"
#include "step_tables.h"

namespace klv {
namespace {

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "klv-stepbad-" + name; }

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

const TextGrid kProgram = test::stepTable({{"恒流放", "01.00", "03.00", "00.00", "0"},
                                           {"搁置", "00.00", "00.00", "00.00", "5"},
                                           {"恒压充", "01.00", "04.20", "00.20", "0"},
                                           {"循环", "00.00", "00.00", "00.00", "3"}});

// The table a reader should make of a file's bytes: each line of line 2 on that has two row
// digits 01..10, a column digit 1..5 and a fourth byte fills that cell with the rest.
TextGrid expectedTable(const std::string& bytes)
{
    TextGrid table = newStepTable();
    std::istringstream in(bytes);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 || line.size() < 4)
            continue;
        const int row = (line[0] - '0') * 10 + (line[1] - '0'), column = line[2] - '0';
        table.at(row, column) = gbkToUtf8(line.substr(4));
    }
    return table;
}

}  // namespace

TEST(StepFileBadInput, AFileCutAnywhereReadsTheRecordsBeforeTheCut)
{
    const std::string path = tempPath("cut.stp");
    ASSERT_TRUE(writeStepFile(path, kProgram));
    const std::string whole = rawBytes(path);
    for (size_t kept = 0; kept <= whole.size(); ++kept) {
        SCOPED_TRACE("bytes kept: " + std::to_string(kept));
        writeRaw(path, whole.substr(0, kept));
        TextGrid read = newStepTable();
        ASSERT_TRUE(readStepFile(path, read));
        EXPECT_EQ(read.cells, expectedTable(whole.substr(0, kept)).cells);
    }
    // Cut inside the last record's GBK label: the half character reads as '?'.
    writeRaw(path, whole.substr(0, whole.find(utf8ToGbk("041:循环")) + 5));
    TextGrid read = newStepTable();
    ASSERT_TRUE(readStepFile(path, read));
    EXPECT_EQ(read.at(4, 1), "?");
    EXPECT_EQ(read.at(3, 5), "0");
}

TEST(StepFileBadInput, NamedDamageIsSkippedLineByLine)
{
    const std::string path = tempPath("named.stp");
    const std::string tenMegabytes(10u << 20, '7');
    writeRaw(path,
             "banner\r\n"
             "111:恒流放\r\n"            // step above 10
             "991:恒流放\r\n"            // row 99
             "0x1:x\r\n-11:x\r\n"        // unreadable numbers
             "\x01\xff\xfe\x80\x81\r\n"  // random bytes
             "012:" +
                 tenMegabytes +
                 "\r\n"
                 "011:" +
                 utf8ToGbk("恒流放") +
                 "\r\n"
                 "013:0" +
                 tenMegabytes);  // a ten-megabyte last line without its end
    TextGrid read = newStepTable();
    bool readOk = false;
    EXPECT_NO_THROW(readOk = readStepFile(path, read));
    EXPECT_TRUE(readOk);
    TextGrid expected = newStepTable();
    expected.at(1, 1) = "恒流放";
    expected.at(1, 2) = tenMegabytes;
    expected.at(1, 3) = "0" + tenMegabytes;
    EXPECT_EQ(read.cells, expected.cells);

    // A file that cannot be read leaves the table cleared and says so.
    read = kProgram;
    EXPECT_FALSE(readStepFile(tempPath("no-such-folder/none.stp"), read));
    EXPECT_EQ(read.at(1, 1), "");
}

TEST(StepFileBadInput, SeededDamageOnlyEverFillsCellsFromTheFilesRecords)
{
    const std::string path = tempPath("seeded.stp");
    ASSERT_TRUE(writeStepFile(path, kProgram));
    const std::string good = rawBytes(path);
    const std::string alphabet = "0123456789\r\n:\t.x\xba\xe3\xc1\xf7";
    std::mt19937 random(77);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string bytes;
        if (round % 2 == 0) {
            for (size_t length = random() % 600; bytes.size() < length;)
                bytes += random() % 4 == 0 ? char(random() % 256) : alphabet[random() % alphabet.size()];
        } else {
            bytes = good;
            for (int edits = 1 + int(random() % 8); edits > 0 && !bytes.empty(); --edits) {
                const size_t at = random() % bytes.size();
                switch (random() % 3) {
                case 0:
                    bytes[at] = alphabet[random() % alphabet.size()];
                    break;
                case 1:
                    bytes.erase(at, 1);
                    break;
                default:
                    bytes.insert(at, 1, alphabet[random() % alphabet.size()]);
                }
            }
        }
        writeRaw(path, bytes);
        TextGrid read = kProgram;
        bool readOk = false;
        EXPECT_NO_THROW(readOk = readStepFile(path, read));
        EXPECT_TRUE(readOk);
        TextGrid expected = newStepTable();
        // Lines are records by the rules above; anything else leaves the cleared table alone.
        std::istringstream in(bytes);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (number == 1 || line.size() < 4 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
                !std::isdigit(static_cast<unsigned char>(line[1])) ||
                !std::isdigit(static_cast<unsigned char>(line[2])))
                continue;
            const int row = (line[0] - '0') * 10 + (line[1] - '0'), column = line[2] - '0';
            if (row < 1 || row > 10 || column < 1 || column > 5)
                continue;
            // The fourth character is a separator, one or two bytes in GBK.
            const std::string text = gbkToUtf8(line.substr(3));
            const auto lead = static_cast<unsigned char>(text[0]);
            const size_t skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            expected.at(row, column) = text.substr(std::min(skip, text.size()));
        }
        EXPECT_EQ(read.cells, expected.cells);
    }
}

}  // namespace klv
