#include <gtest/gtest.h>

#include <QRegularExpression>
#include <filesystem>

#include "platform/text_file.h"
#include "program/program_tables.h"
#include "program/step_file.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

std::string writeProgram(const std::string& home, const std::string& cutOff)
{
    TextGrid table = newStepTable();
    table.at(1, 1) = "恒流放";
    table.at(1, 2) = "01.00";
    table.at(1, 3) = cutOff;
    table.at(1, 4) = "00.00";
    table.at(1, 5) = "0";
    std::string path = home + "/discharge.stp";
    writeStepFile(path, table);
    return path;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(HeadlessRunnerTest, RunsAProgramOnChosenChannelsToItsEndAndSavesIt)
{
    TempFolder home;
    std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--speed", "100"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    std::string program = writeProgram(home.path(), "03.60");

    StationRun run = runHeadlessStation({"--home", QString::fromStdString(home.path()), "--port", "1", "--program",
                                         QString::fromStdString(program), "--channels", "1-1,2-3", "--autosave"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
    QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "设备01: TAL-M3 (4.5V/1A)");
    QRegularExpression progress(
        R"(^(1-1|2-3) loop=1 step=1 state=放电 V=\d\.\d{3} I=1\.000 Ah=\d\.\d{3} time=\d\d:\d\d:\d\d$)");
    for (int i = 2; i < lines.size(); ++i)
        EXPECT_TRUE(progress.match(lines[i]).hasMatch()) << lines[i].toStdString();

    std::vector<std::string> saved = filesIn(home.path() + "/Data");
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_TRUE(saved[0].ends_with("-1-1.dat") || saved[0].ends_with("-2-3.dat"));
    for (const auto& name : saved) {
        if (!name.ends_with(".run"))
            continue;
        auto rows = readLines(home.path() + "/Data/" + name);
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->size(), 5u);
        EXPECT_TRUE(rows->at(4).starts_with("1\t1\t恒流放\t")) << rows->at(4);
    }
    EXPECT_TRUE(fileExists(home.path() + "/klv-com1-2-3.bk1"));
    EXPECT_FALSE(fileExists(home.path() + "/klv-com1-1-2.bk0"));
}

TEST(HeadlessRunnerTest, ASignalStopsEveryBusyChannelAndKeepsTheBackups)
{
    TempFolder home;
    std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--unit", "0:22"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    std::string program = writeProgram(home.path(), "02.75");
    QString dir = QString::fromStdString(home.path());

    StationRun run =
        runHeadlessStation({"--home", dir, "--port", "1", "--program", QString::fromStdString(program)}, 4000);
    EXPECT_EQ(run.exitCode, 0);
    for (int n = 1; n <= 8; ++n)
        EXPECT_TRUE(fileExists(home.path() + "/klv-com1-1-" + std::to_string(n) + ".bk0"));

    // The stop commands reached the unit: every output is off.
    StationRun check = runHeadlessStation({"--home", dir, "--port", "1", "--seconds", "3"});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_TRUE(check.out.contains("1-1 running=0"));
    EXPECT_FALSE(check.out.contains("running=1"));
}
