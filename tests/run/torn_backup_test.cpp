#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "program/program_tables.h"
#include "run/backup_files.h"
#include "run/backup_restore.h"
#include "run/channel_fixture.h"
#include "run/channel_ops.h"

using namespace klv;

namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

const Lines kProgram{"设备:TAL-M5",
                     "通道:1-1",
                     "工步:1\t恒流放\t01.00\t02.75\t00.00\t0",
                     "工步:2\t搁置\t00.00\t00.00\t00.00\t1",
                     "工步:3\t恒压充\t00.50\t04.20\t00.05\t0",
                     "----------www.cellward.example--------------",
                     "Time(S)\tCur(A)\tVol(V)"};
const Lines kSamples{"2\t1.000\t3.900", "4\t1.000\t3.850", "6\t1.000\t3.800"};
const Lines kResultHeader{"设备:TAL-M5", "通道:1-1", "----------www.cellward.example--------------",
                          "循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)"};
const Lines kResults{"1\t1\t恒流放\t0.500\t1.900\t00:00:30", "1\t2\t搁置\t0.000\t0.000\t00:01:00"};

Lines joined(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string bytesOf(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct TornBackupTest : ChannelFixture {
    const int slot = slotOf(0, 0);
    const std::string base = backupBase(0, 0);

    TornBackupTest()
    {
        bus.addUnit(0, 22);
        EXPECT_EQ(connect(), ConnectResult::Connected);
    }
    RunSlot& run() { return station.run.slots[slot]; }
    int points() { return station.ui.graphs[0].DpCnt(0); }

    // The two backup files laid down whole (a test then cuts one with cutTo), and both
    // tables emptied, as the menu's continue does.
    void lay(const Lines& bk0, const Lines& bk1)
    {
        ASSERT_TRUE(writeLines(base + ".bk0", bk0));
        ASSERT_TRUE(writeLines(base + ".bk1", bk1));
        emptyTables();
    }
    void emptyTables()
    {
        run().gridList = TextGrid{};
        run().gridList.resize(kResultRowsAtStart, kResultColumns);
        station.program.gridRun[slot] = newStepTable();
        run().busy = false;
        run().resume = false;
    }
    static void cutTo(const std::string& path, size_t total) { fs::resize_file(path, total); }
};

}  // namespace

TEST_F(TornBackupTest, ASampleCutAnywhereInTheLastLineIsLeftOutAndCutOffTheFile)
{
    const std::string whole = utf8ToGbk(joined(kProgram, kSamples).back());
    for (size_t kept = 1; kept <= whole.size(); ++kept) {
        SCOPED_TRACE("bytes kept of the last sample: " + std::to_string(kept));
        lay(joined(kProgram, kSamples), joined(kResultHeader, kResults));
        const std::string path = base + ".bk0";
        const size_t before = fs::file_size(path) - whole.size() - 2;
        cutTo(path, before + kept);

        continueChannel(station, slot);
        EXPECT_TRUE(run().busy);
        EXPECT_TRUE(run().resume);
        EXPECT_EQ(run().currentStep, 3);
        EXPECT_EQ(points(), 2);
        EXPECT_EQ(run().testSeconds, 4);
        EXPECT_EQ(run().stepSeconds, 4);
        // The torn bytes are gone, so the next sample starts a line of its own ...
        EXPECT_EQ(fs::file_size(path), before);
        ASSERT_TRUE(appendSample(station, slot, "8\t1.000\t3.750"));

        // ... and a second interruption still continues, with it.
        emptyTables();
        continueChannel(station, slot);
        EXPECT_TRUE(run().busy);
        EXPECT_EQ(points(), 3);
        EXPECT_EQ(run().testSeconds, 8);
    }
}

TEST_F(TornBackupTest, AResultCutAnywhereInTheLastLineLeavesItsStepToRunAgain)
{
    const std::string whole = utf8ToGbk(kResults.back());
    for (size_t kept = 1; kept <= whole.size(); ++kept) {
        SCOPED_TRACE("bytes kept of the last result: " + std::to_string(kept));
        lay(joined(kProgram, kSamples), joined(kResultHeader, kResults));
        const std::string path = base + ".bk1";
        const size_t before = fs::file_size(path) - whole.size() - 2;
        cutTo(path, before + kept);

        continueChannel(station, slot);
        EXPECT_TRUE(run().busy);
        EXPECT_TRUE(run().resume);
        // Step 1 is done; step 2, whose result line was being written, runs again.
        EXPECT_EQ(run().currentStep, 2);
        EXPECT_EQ(run().loopPass, 1);
        EXPECT_EQ(run().gridList.at(1, 5), "00:00:30");
        EXPECT_EQ(run().gridList.at(2, 0), "");
        EXPECT_EQ(points(), 3);
        EXPECT_EQ(fs::file_size(path), before);
    }
}

TEST_F(TornBackupTest, ALineCutBetweenItsCrAndLfIsWholeAndGetsItsLf)
{
    lay(joined(kProgram, kSamples), joined(kResultHeader, kResults));
    const std::string path = base + ".bk1";
    cutTo(path, fs::file_size(path) - 1);

    continueChannel(station, slot);
    EXPECT_TRUE(run().busy);
    EXPECT_EQ(run().currentStep, 3);
    EXPECT_EQ(run().gridList.at(2, 5), "00:01:00");
    const std::string bytes = bytesOf(path);
    EXPECT_TRUE(bytes.ends_with("00:01:00\r\n"));
    EXPECT_EQ(readLines(path)->size(), kResultHeader.size() + kResults.size());
}

TEST_F(TornBackupTest, OnlyTheLastLineIsForgiven)
{
    // A cut line with lines after it is damage, not a tear: the continue ends there, idle.
    const std::string torn = utf8ToGbk("4\t1.0");
    lay(joined(kProgram, kSamples), joined(kResultHeader, kResults));
    std::string bk0 = utf8ToGbk(kProgram[2]) + "\r\n2\t1.000\t3.900\r\n" + torn + "\r\n6\t1.000\t3.800\r\n";
    writeBytes(base + ".bk0", bk0);
    continueChannel(station, slot);
    EXPECT_FALSE(run().busy);
    EXPECT_EQ(points(), 1);
    EXPECT_EQ(bytesOf(base + ".bk0"), bk0);

    // The same inside the results.
    lay(joined(kProgram, kSamples), joined(kResultHeader, kResults));
    writeBytes(base + ".bk1", utf8ToGbk("1\t一\t恒流\r\n1\t2\t搁置\t0.000\t0.000\t00:01:00\r\n"));
    continueChannel(station, slot);
    EXPECT_FALSE(run().busy);
    EXPECT_EQ(run().gridList.at(1, 0), "");

    // A last line that got its whole line end was written in full: unreadable, it ends the
    // continue like any other line.
    lay(joined(kProgram, {"2\t1.000\t3.900", "4\t1.0x0\t3.850"}), joined(kResultHeader, kResults));
    continueChannel(station, slot);
    EXPECT_FALSE(run().busy);
    EXPECT_EQ(points(), 1);
}

TEST_F(TornBackupTest, BadInputEndsTheReadingAsItsRulesSay)
{
    const std::string tenMegabytes(10u << 20, '7');
    struct Case {
        std::string name;
        Lines bk0, bk1;
        bool resumes;
        int points;
    };
    const Lines goodBk0 = joined(kProgram, kSamples);
    const Lines goodBk1 = joined(kResultHeader, kResults);
    const std::vector<Case> cases{
        {"step number above 10", joined({"工步:11\t恒流放\t01.00\t02.75\t00.00\t0"}, kSamples), goodBk1, false, 0},
        {"row 99", joined({"工步:99\t恒流放\t01.00\t02.75\t00.00\t0"}, kSamples), goodBk1, false, 0},
        {"unreadable time", joined(kProgram, {"2\t1.000\t3.900", "4e\t1.000\t3.850", "6\t1.000\t3.800"}), goodBk1,
         false, 1},
        {"unreadable loop pass", goodBk0, joined(kResultHeader, {"1x\t1\t恒流放\t0.500\t1.900\t00:00:30", kResults[1]}),
         false, 3},
        {"ten megabytes of digits in a sample",
         joined(kProgram, {"2\t1.000\t3.900", "4\t" + tenMegabytes + "\t3.8", "6\t1.000\t3.800"}), goodBk1, false, 1},
        {"ten megabytes of text between samples",
         joined(kProgram, {"2\t1.000\t3.900", "x" + tenMegabytes, "6\t1.000\t3.800"}), goodBk1, true, 2},
        {"a step line ten megabytes long", joined({"工步:1\t恒流放\t01.00\t02.75\t00.00\t" + tenMegabytes}, kSamples),
         kResultHeader, true, 3},
        {"no samples, no results", kProgram, kResultHeader, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lay(c.bk0, c.bk1);
        EXPECT_NO_THROW(continueChannel(station, slot));
        EXPECT_EQ(run().busy, c.resumes);
        EXPECT_EQ(points(), c.points);
    }

    // A sample ten megabytes long, torn as the last line: left out, the test goes on.
    lay(goodBk0, goodBk1);
    std::ofstream(base + ".bk0", std::ios::binary | std::ios::app) << "8\t1.000\t" << tenMegabytes;
    EXPECT_NO_THROW(continueChannel(station, slot));
    EXPECT_TRUE(run().busy);
    EXPECT_EQ(points(), 3);
    EXPECT_TRUE(bytesOf(base + ".bk0").ends_with("6\t1.000\t3.800\r\n"));

    // Seeded random damage: random bytes, and good files with bytes changed, dropped or
    // added. Whatever comes, the continue returns, the table keeps its ten rows, and no
    // torn tail stays on a file the continued test will append to.
    std::mt19937 random(20261208);
    const std::string alphabet = "0123456789\t\r\n.-+ex:\xb9\xa4\xb2\xbd\xd1\xad\xbb\xb7";  // with GBK 工步循环
    lay(goodBk0, goodBk1);
    const std::string goodBytes[2] = {bytesOf(base + ".bk0"), bytesOf(base + ".bk1")};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        lay(goodBk0, goodBk1);
        for (int f = 0; f < 2; ++f) {
            std::string bytes;
            if (round % 3 == 0) {
                const size_t length = random() % 400;
                for (size_t i = 0; i < length; ++i)
                    bytes += random() % 4 == 0 ? char(random() % 256) : alphabet[random() % alphabet.size()];
            } else {
                bytes = goodBytes[f];
                for (int edits = 1 + int(random() % 6); edits > 0 && !bytes.empty(); --edits) {
                    const size_t at = random() % bytes.size();
                    const char byte = alphabet[random() % alphabet.size()];
                    switch (random() % 3) {
                    case 0:
                        bytes[at] = byte;
                        break;
                    case 1:
                        bytes.erase(at, 1);
                        break;
                    default:
                        bytes.insert(at, 1, byte);
                    }
                }
                if (random() % 2 == 0)
                    bytes.resize(random() % (bytes.size() + 1));
            }
            writeBytes(base + (f == 0 ? ".bk0" : ".bk1"), bytes);
        }
        EXPECT_NO_THROW(continueChannel(station, slot));
        const int stepCount = station.program.stepCount[slot];
        EXPECT_GE(stepCount, 0);
        EXPECT_LE(stepCount, kStepRows);
        EXPECT_EQ(station.program.gridRun[slot].rows, kStepRows + 1);
        // The results are only read after the samples; a test that goes on read both.
        const std::string bk0 = bytesOf(base + ".bk0"), bk1 = bytesOf(base + ".bk1");
        EXPECT_TRUE(bk0.empty() || bk0.back() == '\n');
        if (run().busy) {
            EXPECT_TRUE(bk1.empty() || bk1.back() == '\n');
            EXPECT_LE(run().loopPass, station.program.loopCount[slot]);
        }
    }
}
