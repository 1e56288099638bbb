#include <gtest/gtest.h>

#include "data/data_file.h"
#include "data/data_loader.h"
#include "data/data_station.h"
#include "platform/text_file.h"

using namespace klv;

namespace {

using Lines = std::vector<std::string>;
using Cells = std::vector<std::string>;

const Lines kRunHeader = {"设备:TAL-M1", "通道:1-1", "----------www.cellward.example--------------",
                          "循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)"};

Lines withHeader(const Lines& rows)
{
    Lines lines = kRunHeader;
    lines.insert(lines.end(), rows.begin(), rows.end());
    return lines;
}

// A hand-made pair: the data file's lines, and the result file's unless it is left out.
struct HandFiles {
    TempFolder folder;
    std::string dat = folder.path() + "/hand.dat";

    LoadedData load(const Lines& datLines, const std::optional<Lines>& runLines = withHeader({}))
    {
        EXPECT_TRUE(writeLines(dat, datLines));
        if (runLines) {
            EXPECT_TRUE(writeLines(folder.path() + "/hand.run", *runLines));
        }
        return loadDataFile(dat);
    }
};

void expectRecord(const LoadedRecord& record, int seconds, float current, float voltage)
{
    EXPECT_EQ(record.seconds, seconds);
    EXPECT_FLOAT_EQ(record.current, current);
    EXPECT_FLOAT_EQ(record.voltage, voltage);
}

}  // namespace

TEST(DataFileLoaderTest, WhatTheWriterWritesLoadsBack)
{
    DataStation bench;
    bench.addDevice(0, "TAL-M1", 0, 1000);
    const int slot = slotOf(0, 1);
    bench.setProgram(slot,
                     {{"恒流放", "0.500", "02.75", "0.000", "0"},
                      {"搁置", "0.000", "00.00", "0.000", "10"},
                      {"恒压充", "0.500", "04.20", "0.050", "0"},
                      {"循环", "0.000", "00.00", "0.000", "3"}},
                     3);
    bench.addPoint(slot, 0, 0, 3.65f);
    bench.addPoint(slot, 2, 0.5f, 3.59f);
    bench.addPoint(slot, 98100, 0.05f, 4.2f);
    bench.setResult(slot, 1, {"1", "1", "恒流放", "0.512", "1.843", "01:02:03"});
    bench.setResult(slot, 2, {"1", "2", "搁置", "0.000", "0.000", "27:15:00"});
    const std::string base = bench.home.path() + "/trip";
    writeDataFiles(bench.station, slot, base);

    const LoadedData data = loadDataFile(base + ".dat");
    EXPECT_TRUE(data.complete);
    EXPECT_EQ(data.deviceLabel, "TAL-M1");
    EXPECT_EQ(data.channelLabel, "1-2");
    EXPECT_EQ(data.title, "TAL-M1 1-2");
    ASSERT_EQ(data.steps.size(), 4u);
    EXPECT_EQ(data.steps[1].number, 2);
    EXPECT_EQ(data.steps[1].cells[0], "搁置");
    EXPECT_EQ(data.steps[1].cells[4], "10");
    EXPECT_EQ(data.steps[3].number, 4);
    EXPECT_EQ(Cells(std::begin(data.steps[3].cells), std::end(data.steps[3].cells)),
              (Cells{"循环", "0.000", "00.00", "0.000", "3"}));
    ASSERT_EQ(data.records.size(), 3u);
    expectRecord(data.records[0], 0, 0, 3.65f);
    expectRecord(data.records[1], 2, 0.5f, 3.59f);
    expectRecord(data.records[2], 98100, 0.05f, 4.2f);
    ASSERT_EQ(data.results.size(), 2u);
    EXPECT_EQ(data.results[0], (Cells{"1", "1", "恒流放", "0.512", "1.843", "01:02:03"}));
    EXPECT_EQ(data.results[1], (Cells{"1", "2", "搁置", "0.000", "0.000", "27:15:00"}));
    EXPECT_EQ(stepTimeSeconds(data.results[1][5]), 98100);
}

TEST(DataFileLoaderTest, RecordLinesOfThreeOrFourFields)
{
    HandFiles files;
    const LoadedData data = files.load({
        "设备:TAL-M1",
        "通道:1-1",
        "Time(S)\tCur(A)\tVol(V)",
        "12\t01.25\t3.702",
        "13\t01.25\t7\t3.702",
        "14\t\t01.25\t\t\t3.702",  // empty fields are not seen
        "",
        "16",  // fewer than three fields: passed over
        "17\t1.5",
        "14.5\t1\t3",  // halves go to the even second
        "15.5\t1\t3",
    });
    EXPECT_TRUE(data.complete);
    ASSERT_EQ(data.records.size(), 5u);
    expectRecord(data.records[0], 12, 1.25f, 3.702f);
    expectRecord(data.records[1], 13, 1.25f, 3.702f);
    expectRecord(data.records[2], 14, 1.25f, 3.702f);
    expectRecord(data.records[3], 14, 1, 3);
    expectRecord(data.records[4], 16, 1, 3);
}

TEST(DataFileLoaderTest, LabelLinesNeedTwoCharactersAfterTheLabel)
{
    HandFiles files;
    const LoadedData shortDevice = files.load({
        "设备:X",
        "通道:3-4",
        "工步:1",
        "工步:2\t搁置\t0.000\t00.00\t0.000\t5",
    });
    EXPECT_TRUE(shortDevice.complete);
    EXPECT_EQ(shortDevice.deviceLabel, "");
    EXPECT_EQ(shortDevice.title, " 3-4");
    ASSERT_EQ(shortDevice.steps.size(), 1u);
    EXPECT_EQ(shortDevice.steps[0].number, 2);
    EXPECT_EQ(shortDevice.steps[0].cells[4], "5");

    // The title is made at the channel line from the device label known by then.
    const LoadedData channelFirst = files.load({"通道:1-2", "设备:AB"});
    EXPECT_EQ(channelFirst.title, " 1-2");
    EXPECT_EQ(channelFirst.deviceLabel, "AB");
}

TEST(DataFileLoaderTest, TheResultFileNameReplacesTheLastThreeCharacters)
{
    TempFolder folder;
    const Lines dat = {"设备:TAL-M1", "通道:1-1", "0\t1.000\t3.700"};
    ASSERT_TRUE(writeLines(folder.path() + "/a.txt", dat));
    ASSERT_TRUE(writeLines(folder.path() + "/a.run", withHeader({"1\t1\t恒流放\t0.512\t1.843\t01:02:03"})));
    const LoadedData fromTxt = loadDataFile(folder.path() + "/a.txt");
    EXPECT_TRUE(fromTxt.complete);
    EXPECT_EQ(fromTxt.results.size(), 1u);

    // Three characters, not three bytes.
    ASSERT_TRUE(writeLines(folder.path() + "/数据.文件名", dat));
    ASSERT_TRUE(writeLines(folder.path() + "/数据.run", withHeader({"1\t1\t搁置\t0.000\t0.000\t00:10:00"})));
    const LoadedData chinese = loadDataFile(folder.path() + "/数据.文件名");
    EXPECT_TRUE(chinese.complete);
    ASSERT_EQ(chinese.results.size(), 1u);
    EXPECT_EQ(chinese.results[0][2], "搁置");

    // Without its result file the data still loads, but the loading is not complete.
    ASSERT_TRUE(writeLines(folder.path() + "/b.dat", dat));
    const LoadedData alone = loadDataFile(folder.path() + "/b.dat");
    EXPECT_FALSE(alone.complete);
    EXPECT_EQ(alone.records.size(), 1u);
    EXPECT_EQ(alone.title, "TAL-M1 1-1");
}

TEST(DataFileLoaderTest, AFailingLineEndsTheLoadingAndKeepsWhatCameBefore)
{
    HandFiles files;
    const Lines head = {"设备:TAL-M1", "通道:1-1", "工步:1\t恒流放\t0.500\t02.75\t0.000\t0", "0\t1.000\t3.700"};
    auto failsAfterHead = [&](const std::string& bad) {
        Lines lines = head;
        lines.push_back(bad);
        lines.push_back("9\t1.000\t3.600");
        const LoadedData data = files.load(lines);
        EXPECT_FALSE(data.complete) << bad;
        EXPECT_EQ(data.title, "TAL-M1 1-1") << bad;
        EXPECT_EQ(data.steps.size(), 1u) << bad;
        EXPECT_EQ(data.records.size(), 1u) << bad;
        EXPECT_TRUE(data.results.empty()) << bad;
    };
    failsAfterHead("工步:11\t恒流放\t0.500\t02.75\t0.000\t0");
    failsAfterHead("工步:0\t恒流放\t0.500\t02.75\t0.000\t0");
    failsAfterHead("工步:x\t恒流放\t0.500\t02.75\t0.000\t0");
    failsAfterHead("工步:2\t恒流放\t0.500");
    failsAfterHead("工步:2\t恒流放\t0.500\t02.75\t0.000\t");
    failsAfterHead("5\t1.2x\t3.700");
    failsAfterHead("5\t1.000\t");
    failsAfterHead("5\t1.000\t3.7V");

    auto failsInResults = [&](const std::string& bad) {
        const LoadedData data = files.load(
            head, withHeader({"1\t1\t恒流放\t0.512\t1.843\t01:02:03", bad, "1\t2\t恒流放\t0.512\t1.843\t01:02:03"}));
        EXPECT_FALSE(data.complete) << bad;
        EXPECT_EQ(data.records.size(), 1u) << bad;
        ASSERT_EQ(data.results.size(), 1u) << bad;
        EXPECT_EQ(data.results[0][1], "1") << bad;
    };
    failsInResults("1\t2\t恒流放\t0.512\t1.843\t");
    failsInResults("1\t2\t恒流放\t0.512");
    failsInResults("12");

    const LoadedData missing = loadDataFile(files.folder.path() + "/none.dat");
    EXPECT_FALSE(missing.complete);
    EXPECT_TRUE(missing.title.empty());
}

TEST(DataFileLoaderTest, AStopRequestEndsTheLoadingIncomplete)
{
    std::string dat;
    for (int s = 0; s < 100000; ++s)
        dat += std::to_string(s) + "\t0.500\t3.700\r\n";
    const LoadedData whole = loadDataBytes(dat, std::string_view());
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.records.size(), 100000u);
    std::stop_source source;
    source.request_stop();
    const LoadedData stopped = loadDataBytes(dat, std::string_view(), source.get_token());
    EXPECT_FALSE(stopped.complete);
    EXPECT_LT(stopped.records.size(), 100000u);
}

TEST(DataFileLoaderTest, StepTimesReadBackAsSeconds)
{
    EXPECT_EQ(stepTimeSeconds("27:15:00"), 98100);
    EXPECT_EQ(stepTimeSeconds("00:00:05"), 5);
    EXPECT_EQ(stepTimeSeconds("1:02:03"), 3723);
    EXPECT_EQ(stepTimeSeconds("123:00:01"), 442801);
    for (const char* bad : {"", "1:5:00", "27:15", "2a:00:00", "-1:00:00", "27-15-00", ":00:00", "01:0x:00"})
        EXPECT_EQ(stepTimeSeconds(bad), std::nullopt) << bad;
}

// Record lines in the writer's plain form take a short route; every number must read as the
// general route reads it, long digit runs (no exact integer) and other forms included.
TEST(DataLoaderTest, PlainRecordLinesReadAsTheGeneralRouteReadsThem)
{
    const std::vector<std::pair<std::string, LoadedRecord>> table{
        {"5\t1.250\t3.702", {5, 1.25f, 3.702f}},
        {"7\t01.25\t3.7", {7, 1.25f, 3.7f}},
        {"8\t0.1234567890123456\t3.7", {8, 0.1234567890123456f, 3.7f}},
        {"9\t1111111111111111111.5\t4", {9, 1111111111111111111.5f, 4.0f}},
        {"10\t123456789012345.6\t0.000", {10, 123456789012345.6f, 0.0f}},
        {"11\t-0.500\t3.000", {11, -0.5f, 3.0f}},
        {"12.5\t.5\t3.", {12, 0.5f, 3.0f}},
        {"999999999\t1.000\t3.000", {999999999, 1.0f, 3.0f}},
    };
    for (const auto& [line, expected] : table) {
        const LoadedData data = loadDataBytes(line + "\r\n", std::nullopt);
        ASSERT_EQ(data.records.size(), 1u) << line;
        EXPECT_EQ(data.records[0].seconds, expected.seconds) << line;
        EXPECT_EQ(data.records[0].current, expected.current) << line;
        EXPECT_EQ(data.records[0].voltage, expected.voltage) << line;
    }
}
