#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "data/data_loader.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

using Lines = std::vector<std::string>;

const Lines kDat{"设备:TAL-M1",
                 "通道:1-1",
                 "工步:1\t恒流放\t0.500\t02.75\t0.000\t0",
                 "工步:2\t恒压充\t0.500\t04.20\t0.050\t0",
                 "----------www.cellward.example--------------",
                 "Time(S)\tCur(A)\tVol(V)",
                 "0\t0.500\t3.700",
                 "1\t0.500\t3.650",
                 "2\t0.500\t3.612"};
const Lines kRun{"设备:TAL-M1",
                 "通道:1-1",
                 "----------www.cellward.example--------------",
                 "循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)",
                 "1\t1\t恒流放\t0.512\t1.843\t01:02:03",
                 "1\t2\t恒压充\t0.498\t2.001\t00:58:10"};

void writeRaw(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string gbkFile(const Lines& lines)
{
    std::string bytes;
    for (const auto& line : lines)
        bytes += utf8ToGbk(line) + "\r\n";
    return bytes;
}

struct Pair {
    TempFolder folder;
    std::string dat = folder.path() + "/t.dat";
    std::string run = folder.path() + "/t.run";
    LoadedData load(const std::string& datBytes, const std::string& runBytes)
    {
        writeRaw(dat, datBytes);
        writeRaw(run, runBytes);
        LoadedData data;
        EXPECT_NO_THROW(data = loadDataFile(dat));
        return data;
    }
};

}  // namespace

TEST(LoaderBadInput, NamedDamageEndsTheLoadingAtItsLine)
{
    Pair pair;
    const std::string tenMegabytes(10u << 20, '7');
    struct Case {
        std::string name;
        std::string dat, run;
        bool complete;
        size_t steps, records, results;
    };
    const std::string goodDat = gbkFile(kDat), goodRun = gbkFile(kRun);
    const std::string head = gbkFile({kDat[0], kDat[1], kDat[2], kDat[6]});
    const std::vector<Case> cases{
        {"whole", goodDat, goodRun, true, 2, 3, 2},
        {"step number above 10", head + gbkFile({"工步:11\t恒流放\t0.500\t02.75\t0.000\t0", kDat[7]}), goodRun, false,
         1, 1, 0},
        {"row 99", head + gbkFile({"工步:99\t恒流放\t0.500\t02.75\t0.000\t0", kDat[7]}), goodRun, false, 1, 1, 0},
        {"unreadable time", head + "1e\t0.500\t3.650\r\n" + gbkFile({kDat[7]}), goodRun, false, 1, 1, 0},
        {"a result row not starting with a digit is passed over", goodDat,
         gbkFile({kRun[3], "x\t1\t恒流放\t0.512\t1.843\t01:02:03"}), true, 2, 3, 0},
        {"result row cut in half", goodDat, gbkFile({kRun[4]}) + "1\t2\t\xba\xe3", false, 2, 3, 1},
        {"random bytes in the data file", head + "\x01\xff\x80\t\t\r\n" + gbkFile({kDat[7]}), goodRun, true, 1, 2, 2},
        {"ten megabytes of digits in a record", head + "3\t" + tenMegabytes + "\t3.6\r\n" + gbkFile({kDat[7]}), goodRun,
         false, 1, 1, 0},
        {"a ten-megabyte line of text", head + "x" + tenMegabytes + "\r\n" + gbkFile({kDat[7]}), goodRun, true, 1, 2,
         2},
        {"a ten-megabyte time that is no number", head + "3" + tenMegabytes + "\t0.5\t3.6", goodRun, false, 1, 1, 0},
        {"an empty result file", goodDat, "", true, 2, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadedData data = pair.load(c.dat, c.run);
        EXPECT_EQ(data.complete, c.complete);
        EXPECT_EQ(data.steps.size(), c.steps);
        EXPECT_EQ(data.records.size(), c.records);
        EXPECT_EQ(data.results.size(), c.results);
    }

    // A missing result file is a failure too; an empty one is read to its end.
    std::filesystem::remove(pair.run);
    writeRaw(pair.dat, goodDat);
    EXPECT_FALSE(loadDataFile(pair.dat).complete);
}

TEST(LoaderBadInput, ALastRecordCutAnywhereKeepsTheRecordsBeforeIt)
{
    Pair pair;
    const std::string whole = kDat.back();
    const std::string before = gbkFile(Lines(kDat.begin(), kDat.end() - 1));
    for (size_t kept = 1; kept < whole.size(); ++kept) {
        const std::string cut = whole.substr(0, kept);
        SCOPED_TRACE(cut);
        const LoadedData data = pair.load(before + cut, gbkFile(kRun));
        const auto tabs = std::count(cut.begin(), cut.end(), '\t');
        ASSERT_GE(data.records.size(), 2u);
        EXPECT_EQ(data.records[1].seconds, 1);
        if (cut.back() == '\t') {
            // An empty last field ends the loading.
            EXPECT_FALSE(data.complete);
            EXPECT_EQ(data.records.size(), 2u);
        } else if (tabs < 2) {
            // Fewer than three fields: passed over.
            EXPECT_TRUE(data.complete);
            EXPECT_EQ(data.records.size(), 2u);
        } else {
            // The voltage as far as it got.
            EXPECT_TRUE(data.complete);
            ASSERT_EQ(data.records.size(), 3u);
            EXPECT_EQ(data.records[2].seconds, 2);
            EXPECT_FLOAT_EQ(data.records[2].voltage, std::stof(cut.substr(cut.rfind('\t') + 1)));
        }
    }
}

TEST(LoaderBadInput, SeededRandomFilesNeverEscapeTheLoader)
{
    Pair pair;
    std::mt19937 random(4126);
    const std::string alphabet = "0123456789\t\t\r\n.-+e:x \xc9\xe8\xb1\xb8\xb9\xa4\xb2\xbd";  // GBK 设备工步
    const std::string good[2] = {gbkFile(kDat), gbkFile(kRun)};
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string files[2];
        for (int f = 0; f < 2; ++f) {
            if (round % 2 == 0) {
                const size_t length = random() % 500;
                for (size_t i = 0; i < length; ++i)
                    files[f] += random() % 5 == 0 ? char(random() % 256) : alphabet[random() % alphabet.size()];
            } else {
                files[f] = good[f];
                for (int edits = 1 + int(random() % 5); edits > 0 && !files[f].empty(); --edits) {
                    const size_t at = random() % files[f].size();
                    const char byte = alphabet[random() % alphabet.size()];
                    switch (random() % 3) {
                    case 0:
                        files[f][at] = byte;
                        break;
                    case 1:
                        files[f].erase(at, 1);
                        break;
                    default:
                        files[f].insert(at, 1, byte);
                    }
                }
            }
        }
        const LoadedData data = pair.load(files[0], files[1]);
        for (const LoadedStep& step : data.steps) {
            EXPECT_GE(step.number, 1);
            EXPECT_LE(step.number, 10);
            EXPECT_FALSE(step.cells[4].empty());
        }
        for (const auto& row : data.results) {
            ASSERT_EQ(row.size(), 6u);
            EXPECT_FALSE(row[5].empty());
        }
        const auto lines = std::count(files[0].begin(), files[0].end(), '\n') + 1;
        EXPECT_LE(static_cast<long>(data.records.size() + data.steps.size()), lines);
    }
}
