#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <filesystem>

#include "data/data_loader.h"
#include "support/sim_process.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

double childCpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_CHILDREN, &use);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

}  // namespace

// The serial adapter is pulled ten seconds into a one-minute discharge and put back twenty
// seconds later, the units running on. The station finds the loss, says it once, waits without
// spinning, opens the port again and takes up both units; the step still ends at its minute,
// and the samples of the gap are missing, not made up.
TEST(LostPort, APulledAdapterIsFoundSaidAndReconnectedAndTheStepEndsOnTime)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--unplug", "10:20"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    const std::string program = writeProgramFile(home.path() + "/d.stp", {{"恒流放", "00.50", "02.75", "00.00", "1"}});

    const double cpuBefore = childCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const StationRun run =
        runHeadlessStation({"--home", QString::fromStdString(home.path()), "--port", "1", "--program",
                            QString::fromStdString(program), "--channels", "1-1,2-1", "--autosave"});
    const double cpu = childCpuSeconds() - cpuBefore, seconds = wall.elapsed() / 1000.0;
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_LT(cpu, 0.05 * seconds) << "the station spun while the port was gone";

    const QStringList said = run.err.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(said.count(QStringLiteral("COM1 已断开：每2秒重新打开")), 1) << run.err.toStdString();
    const QRegularExpression back(QStringLiteral("^COM1 已重新连接（断开(\\d+)秒）$"));
    const QStringList backLines = said.filter(back);
    ASSERT_EQ(backLines.size(), 1) << run.err.toStdString();
    const int gap = back.match(backLines[0]).captured(1).toInt();
    EXPECT_GE(gap, 18) << "found within two seconds of the pull";
    EXPECT_LE(gap, 25) << "reopened within five seconds of the return";

    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data")) {
        if (entry.path().extension() != ".dat")
            continue;
        ++saved;
        const LoadedData data = loadDataFile(entry.path().string());
        ASSERT_EQ(data.results.size(), 1u) << entry.path();
        const auto stepSeconds = stepTimeSeconds(data.results[0][5]);
        ASSERT_TRUE(stepSeconds);
        EXPECT_GE(*stepSeconds, 60) << "the step clock counted through the gap";
        EXPECT_LE(*stepSeconds, 61);
        int widest = 0;
        for (size_t r = 1; r < data.records.size(); ++r)
            widest = std::max(widest, data.records[r].seconds - data.records[r - 1].seconds);
        EXPECT_GE(widest, 15) << "no samples were invented for the gap";
    }
    EXPECT_EQ(saved, 2);
}
