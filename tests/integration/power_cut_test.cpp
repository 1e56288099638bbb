#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include "common/text_grid.h"
#include "platform/text_file.h"
#include "program/program_tables.h"
#include "program/step_file.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

constexpr int kPowerCuts = 20;
constexpr int kLoops = 3;
constexpr size_t kResultHeaderLines = 4;
const std::vector<std::string> kModes{"恒流放", "恒压充"};

// Discharge and charge, three times. (A rest counts the station's own seconds, which the
// simulated bench's speed does not shorten.)
std::string writeProgram(const std::string& home)
{
    TextGrid table = newStepTable();
    const char* rows[3][5] = {{"恒流放", "01.00", "03.60", "00.00", "0"},
                              {"恒压充", "01.00", "03.90", "00.50", "0"},
                              {"循环", "00.00", "00.00", "00.00", "3"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            table.at(r + 1, c + 1) = rows[r][c];
    const std::string path = home + "/cycle.stp";
    writeStepFile(path, table);
    return path;
}

std::vector<std::string> lines(const std::string& path) { return readLines(path).value_or(std::vector<std::string>{}); }

// The result rows of a ".bk1" or ".run" are the program's steps in order, from the first: none
// left out, none twice.
void expectStepsInOrder(const std::vector<std::string>& file, const std::string& what)
{
    for (size_t i = kResultHeaderLines; i < file.size(); ++i) {
        const size_t row = i - kResultHeaderLines;
        const std::string expected = std::to_string(row / kModes.size() + 1) + "\t" +
                                     std::to_string(row % kModes.size() + 1) + "\t" + kModes[row % kModes.size()] +
                                     "\t";
        ASSERT_TRUE(file[i].starts_with(expected)) << what << " row " << row + 1 << ": " << file[i];
    }
}

// Sample times of a ".bk0" never go back: a continue takes up the test's seconds where they were.
void expectTimesForward(const std::vector<std::string>& file, const std::string& what)
{
    long previous = -1;
    for (const std::string& line : file) {
        if (line.empty() || line[0] < '0' || line[0] > '9')
            continue;
        const long seconds = std::stol(line);
        ASSERT_GE(seconds, previous) << what << ": " << line;
        previous = seconds;
    }
}

}  // namespace

// The headless station is killed (SIGKILL, nothing flushed, nothing closed) at 20 random moments
// of a run and continued each time: the backups always hold the steps in order, and the last
// continue runs the program to its end with every step in the saved result file.
TEST(PowerCutTest, TwentyKillsAtRandomMomentsAndTheTestStillEndsWhole)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--speed", "600", "--unit", "0:22"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    const QString dir = QString::fromStdString(home.path());
    const QStringList bench{"--home", dir, "--port", "1", "--from", "1", "--to", "1", "--autosave"};
    const QStringList start = QStringList(bench)
                              << "--program" << QString::fromStdString(writeProgram(home.path())) << "--channels"
                              << "1-1,1-2";
    const QStringList resume = QStringList(bench) << "--continue"
                                                  << "1-1,1-2";
    const std::string bases[2] = {home.path() + "/klv-com1-1-1", home.path() + "/klv-com1-1-2"};

    std::mt19937 rng(20240312);
    std::uniform_int_distribution<int> moment(200, 2500);
    // The first run is cut once its backups exist: before that there is nothing to continue.
    StationRun first =
        runProgram(KLV_STATION_PATH, QStringList{"--headless"} << start, 1500 + moment(rng), SIGKILL, 120000);
    ASSERT_TRUE(fileExists(bases[1] + ".bk1")) << first.err.toStdString();
    for (int cut = 1; cut < kPowerCuts; ++cut) {
        runProgram(KLV_STATION_PATH, QStringList{"--headless"} << resume, moment(rng), SIGKILL, 120000);
        for (const std::string& base : bases) {
            SCOPED_TRACE("after cut " + std::to_string(cut) + " " + base);
            expectStepsInOrder(lines(base + ".bk1"), ".bk1");
            expectTimesForward(lines(base + ".bk0"), ".bk0");
        }
    }

    const StationRun last = runHeadlessStation(resume);
    ASSERT_EQ(last.exitCode, 0) << lines(bases[0] + ".bk1").size() << " rows; " << last.out.toStdString();
    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data")) {
        if (entry.path().extension() != ".run")
            continue;
        ++saved;
        const std::vector<std::string> run = lines(entry.path().string());
        EXPECT_EQ(run.size(), kResultHeaderLines + kLoops * kModes.size()) << entry.path();
        expectStepsInOrder(run, entry.path().string());
    }
    for (const std::string& base : bases) {
        EXPECT_EQ(lines(base + ".bk1").size(), kResultHeaderLines + kLoops * kModes.size());
        expectTimesForward(lines(base + ".bk0"), base);
    }
    EXPECT_GE(saved, 2);
}
