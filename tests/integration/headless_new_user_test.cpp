#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "platform/text_file.h"
#include "program/program_tables.h"
#include "program/step_file.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

// Two units of different models, sixteen channels, cells ten minutes older each real second:
// a 2 Ah cell half charged empties at 1 A in some 6 s and fills again in some 15 s.
const QStringList kBench{"--speed", "600", "--unit", "0:20", "--unit", "1:22"};
constexpr int kRunLimitMs = 85000;

std::string writeProgram(const std::string& home)
{
    TextGrid table = newStepTable();
    const char* rows[2][5] = {{"恒流放", "01.00", "03.00", "00.00", "0"}, {"恒压充", "01.00", "04.20", "00.20", "0"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c)
            table.at(r + 1, c + 1) = rows[r][c];
    const std::string path = home + "/charge.stp";
    EXPECT_TRUE(writeStepFile(path, table));
    return path;
}

// klv-station --headless run as a user would type it; -1 when it did not end by itself.
int station(const std::string& home, const std::string& program, bool resume, int terminateAfterMs = -1)
{
    QStringList args{"--home",    QString::fromStdString(home),    "--port",     "1",
                     "--program", QString::fromStdString(program), "--channels", "all",
                     "--autosave"};
    if (resume)
        args << "--continue"
             << "all";
    return runHeadlessStation(args, terminateAfterMs, kRunLimitMs).exitCode;
}

std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// The channel a saved file belongs to ("1-3" of ...-1-3.dat), by the file's base name.
std::string channelOf(const std::string& base)
{
    const size_t last = base.rfind('-');
    const size_t before = base.rfind('-', last - 1);
    return base.substr(before + 1);
}

std::vector<std::string> recordLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> records;
    for (const auto& line : lines)
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])))
            records.push_back(line);
    return records;
}

// Checks the saved pairs among `names`: one per channel of both units, each result file
// with the discharge and then the charge, each data file running from the discharge's
// cut-off up to the charge voltage. Puts the records of each channel's data file in `records`.
void expectSixteenFinishedPairs(const std::string& data, const std::set<std::string>& names,
                                std::map<std::string, std::vector<std::string>>* records = nullptr)
{
    std::set<std::string> channels;
    for (const auto& name : names) {
        if (!name.ends_with(".dat"))
            continue;
        const std::string base = name.substr(0, name.size() - 4);
        SCOPED_TRACE(base);
        EXPECT_TRUE(names.contains(base + ".run"));
        channels.insert(channelOf(base));

        const auto run = readLines(data + "/" + base + ".run");
        ASSERT_TRUE(run);
        ASSERT_EQ(run->size(), 6u);
        EXPECT_TRUE(run->at(4).starts_with("1\t1\t恒流放\t")) << run->at(4);
        EXPECT_TRUE(run->at(5).starts_with("1\t2\t恒压充\t")) << run->at(5);

        const auto dat = readLines(data + "/" + base + ".dat");
        ASSERT_TRUE(dat);
        EXPECT_EQ(dat->at(0), channelOf(base).starts_with("1-") ? "设备:TAL-M3" : "设备:TAL-M5");
        EXPECT_EQ(dat->at(2), "工步:1\t恒流放\t01.00\t03.00\t00.00\t0");
        EXPECT_EQ(dat->at(3), "工步:2\t恒压充\t01.00\t04.20\t00.20\t0");
        std::vector<std::string> lines = recordLines(*dat);
        ASSERT_GE(lines.size(), 3u);
        float lowest = 99, highest = 0;
        for (const auto& line : lines) {
            const float volts = std::stof(line.substr(line.rfind('\t') + 1));
            lowest = std::min(lowest, volts);
            highest = std::max(highest, volts);
        }
        EXPECT_LT(lowest, 3.3f);
        EXPECT_GT(highest, 4.1f);
        if (records)
            (*records)[channelOf(base)] = std::move(lines);
    }
    std::set<std::string> all;
    for (int unit = 1; unit <= 2; ++unit)
        for (int n = 1; n <= 8; ++n)
            all.insert(std::to_string(unit) + "-" + std::to_string(n));
    EXPECT_EQ(channels, all);
    EXPECT_EQ(names.size(), 32u);
}

}  // namespace

TEST(HeadlessNewUser, RunsADischargeAndChargeOnEveryChannelOfTwoUnitsAndSavesEach)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, kBench);
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    ASSERT_TRUE(makeFolder(home.path() + "/Data"));
    const std::string program = writeProgram(home.path());

    ASSERT_EQ(station(home.path(), program, false), 0);
    expectSixteenFinishedPairs(home.path() + "/Data", filesIn(home.path() + "/Data"));
}

TEST(HeadlessNewUser, KilledMidRunAndContinuedItFinishesTheSameTests)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, kBench);
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    const std::string data = home.path() + "/Data";
    ASSERT_TRUE(makeFolder(data));
    const std::string program = writeProgram(home.path());

    // Stopped a few seconds in, in the middle of the discharge.
    ASSERT_EQ(station(home.path(), program, false, 4000), 0);
    std::map<std::string, std::vector<std::string>> beforeKill;
    for (int unit = 1; unit <= 2; ++unit) {
        for (int n = 1; n <= 8; ++n) {
            const std::string channel = std::to_string(unit) + "-" + std::to_string(n);
            const auto bk0 = readLines(home.path() + "/klv-com1-" + channel + ".bk0");
            ASSERT_TRUE(bk0) << channel;
            ASSERT_TRUE(fileExists(home.path() + "/klv-com1-" + channel + ".bk1")) << channel;
            // A channel whose first sample was not yet due at the stop has none here.
            beforeKill[channel] = recordLines(*bk0);
        }
    }
    EXPECT_TRUE(std::any_of(beforeKill.begin(), beforeKill.end(), [](const auto& kv) { return !kv.second.empty(); }))
        << "stopped before any sample: nothing to continue from";
    const std::set<std::string> savedAtTheStop = filesIn(data);

    ASSERT_EQ(station(home.path(), program, true), 0);
    std::set<std::string> continued;
    for (const auto& name : filesIn(data))
        if (!savedAtTheStop.contains(name))
            continued.insert(name);
    std::map<std::string, std::vector<std::string>> records;
    expectSixteenFinishedPairs(data, continued, &records);

    // Continued, not started again: each curve begins with the samples taken before the stop.
    for (const auto& [channel, before] : beforeKill) {
        SCOPED_TRACE(channel);
        ASSERT_TRUE(records.contains(channel));
        const std::vector<std::string>& after = records.at(channel);
        ASSERT_GE(after.size(), before.size());
        EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
    }
}
