#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "platform/text_file.h"
#include "support/sim_process.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

// Two units of different models, sixteen channels, cells a six-hundredth of their size:
// a 2 Ah cell half charged empties at 1 A in some 6 s and fills again in some 15 s.
const QStringList kBench{"--speed", "600", "--unit", "0:20", "--unit", "1:22"};
constexpr int kRunLimitMs = 85000;

std::string writeProgram(const std::string& home)
{
    const std::string path = writeProgramFile(
        home + "/charge.stp", {{"恒流放", "01.00", "03.00", "00.00", "0"}, {"恒压充", "01.00", "04.20", "00.20", "0"}});
    EXPECT_FALSE(path.empty());
    return path;
}

// klv-station --headless run as a user would type it, sent `signal` after stopAfterMs when
// given; -1 when it did not end by itself.
int station(const std::string& home, const std::string& program, bool resume, int stopAfterMs = -1,
            int signal = SIGTERM)
{
    QStringList args{"--headless", "--home",    QString::fromStdString(home),    "--port",
                     "1",          "--program", QString::fromStdString(program), "--channels",
                     "all",        "--autosave"};
    if (resume)
        args << "--continue"
             << "all";
    return runProgram(KLV_STATION_PATH, args, stopAfterMs, signal, kRunLimitMs).exitCode;
}

// The station's arguments in a shipped restart entry: the words after "klv-station" on its
// command line, quotes dropped.
QStringList shippedCommand(const std::string& file, const QString& key)
{
    std::ifstream in(std::string(KLV_SOURCE_DIR) + "/dist/" + file);
    for (std::string line; std::getline(in, line);) {
        const QString text = QString::fromStdString(line);
        if (!text.startsWith(key))
            continue;
        QStringList words = text.mid(key.size()).remove('"').split(' ', Qt::SkipEmptyParts);
        while (!words.isEmpty() && !words.takeFirst().endsWith("klv-station")) {
        }
        return words;
    }
    return {};
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

// The samples of every channel's ".bk0" after a stop, by channel; both backups must exist.
std::map<std::string, std::vector<std::string>> backupRecords(const std::string& home)
{
    std::map<std::string, std::vector<std::string>> records;
    for (int unit = 1; unit <= 2; ++unit) {
        for (int n = 1; n <= 8; ++n) {
            const std::string channel = std::to_string(unit) + "-" + std::to_string(n);
            const auto bk0 = readLines(home + "/klv-com1-" + channel + ".bk0");
            EXPECT_TRUE(bk0 && fileExists(home + "/klv-com1-" + channel + ".bk1")) << channel;
            // A channel whose first sample was not yet due at the stop has none here.
            records[channel] = bk0 ? recordLines(*bk0) : std::vector<std::string>{};
        }
    }
    EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const auto& kv) { return !kv.second.empty(); }))
        << "stopped before any sample: nothing to continue from";
    return records;
}

// The files saved since `before` finish every channel, and each curve begins with the samples
// taken before the stop: continued, not started again.
void expectContinued(const std::string& data, const std::set<std::string>& before,
                     const std::map<std::string, std::vector<std::string>>& beforeStop)
{
    std::set<std::string> continued;
    for (const auto& name : filesIn(data))
        if (!before.contains(name))
            continued.insert(name);
    std::map<std::string, std::vector<std::string>> records;
    expectSixteenFinishedPairs(data, continued, &records);
    for (const auto& [channel, samples] : beforeStop) {
        SCOPED_TRACE(channel);
        ASSERT_TRUE(records.contains(channel));
        const std::vector<std::string>& after = records.at(channel);
        ASSERT_GE(after.size(), samples.size());
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), after.begin()));
    }
}

}  // namespace

// A new user's bench: klv-sim on a terminal mapped as COM1 of a fresh program folder that
// holds a Data folder and the discharge/charge step file.
class HeadlessNewUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.started());
        writeBenchIni(home.path(), link);
        ASSERT_TRUE(makeFolder(data));
        program = writeProgram(home.path());
    }

    TempFolder home;
    const std::string link = home.path() + "/tty";
    const std::string data = home.path() + "/Data";
    SimProcess sim{link, kBench};
    std::string program;
};

TEST_F(HeadlessNewUser, RunsADischargeAndChargeOnEveryChannelOfTwoUnitsAndSavesEach)
{
    ASSERT_EQ(station(home.path(), program, false), 0);
    expectSixteenFinishedPairs(data, filesIn(data));
}

TEST_F(HeadlessNewUser, KilledMidRunAndContinuedItFinishesTheSameTests)
{
    // Stopped a few seconds in, in the middle of the discharge.
    ASSERT_EQ(station(home.path(), program, false, 4000), 0);
    const auto beforeKill = backupRecords(home.path());
    const std::set<std::string> savedAtTheStop = filesIn(data);

    ASSERT_EQ(station(home.path(), program, true), 0);
    expectContinued(data, savedAtTheStop, beforeKill);
}

TEST_F(HeadlessNewUser, AfterAPowerCutTheShippedUserServiceContinuesEveryChannel)
{
    QStringList service = shippedCommand("cellward-station.service", "ExecStart=");
    QStringList window = shippedCommand("klv-station-autostart.desktop", "Exec=");
    const qsizetype homeAt = service.indexOf("--home");
    ASSERT_GE(homeAt, 0) << service.join(' ').toStdString();
    ASSERT_GE(window.indexOf("--home"), 0) << window.join(' ').toStdString();
    // The window's autostart entry restarts the same way, with a window.
    window.remove(window.indexOf("--home"), 2);
    QStringList headless = service;
    headless.remove(homeAt, 2);
    headless.removeOne("--headless");
    EXPECT_EQ(window, headless);
    EXPECT_TRUE(headless.join(' ').contains("--port 1 --continue all")) << headless.join(' ').toStdString();

    // The power cut: no signal to stop on, the station is simply gone mid-discharge.
    ASSERT_EQ(station(home.path(), program, false, 4000, SIGKILL), -1);
    const auto beforeKill = backupRecords(home.path());
    const std::set<std::string> savedAtTheCut = filesIn(data);
    EXPECT_TRUE(savedAtTheCut.empty());

    // The user unit's command as the service manager runs it, %h being the user's home.
    service[homeAt + 1].replace("%h/Cellward", QString::fromStdString(home.path()));
    const StationRun restart = runProgram(KLV_STATION_PATH, service, -1, 0, kRunLimitMs);
    ASSERT_EQ(restart.exitCode, 0) << restart.err.toStdString();
    expectContinued(data, savedAtTheCut, beforeKill);
}
