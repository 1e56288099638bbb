#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "link/connection.h"
#include "link/poll_cycle.h"
#include "link/port_map.h"
#include "platform/ini_file.h"
#include "platform/qt_port_wait.h"
#include "platform/qt_serial_port.h"
#include "platform/text_file.h"
#include "station.h"
#include "support/bench_fixture.h"
#include "support/serial_station.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

using namespace klv;

// The real serial stack against the simulated bench on a pseudo-terminal.
TEST(SerialBenchTest, QSerialPortKeepsTwoUnitsPolledAndFlagsThemOfflineWhenTheBenchDies)
{
    SerialStation bench({"--unit", "0:20", "--unit", "1:28", "--line-timing"});
    ASSERT_TRUE(bench.sim.started());
    Station& station = bench.station;
    QtSerialPort& port = bench.port;
    ASSERT_EQ(connectBench(station, 1, scanRange(1, 6)), ConnectResult::Connected);
    EXPECT_EQ(station.ui.lstDev, (std::vector<std::string>{"设备01: TAL-M3 (4.5V/1A)", "设备02: TAL-M8 (4.5V/40A)"}));
    EXPECT_EQ(station.link.devices[1].readingCurrentScale, 100);

    PollTickReport report = pollTick(station);
    EXPECT_EQ(report.answersDecoded, 2);
    for (int s = 0; s < 16; ++s)
        EXPECT_GT(station.link.slots[s].voltage, 3.0f) << "slot " << s;

    bench.sim.kill();
    int ticks = 0;
    QElapsedTimer longest;
    qint64 worst = 0;
    while (!(station.link.devices[0].offline && station.link.devices[1].offline) && ticks < 40) {
        longest.start();
        pollTick(station);
        worst = std::max(worst, longest.elapsed());
        ++ticks;
    }
    EXPECT_TRUE(station.link.devices[0].offline);
    EXPECT_TRUE(station.link.devices[1].offline);
    // The terminal hung up: the port is lost, found by the first polls and closed.
    EXPECT_LE(ticks, 2);
    EXPECT_LT(worst, 2000) << "a tick waited far past its two 300 ms windows";
    EXPECT_TRUE(station.link.portLost);
    EXPECT_FALSE(port.isOpen());
    ASSERT_TRUE(disconnectBench(station));
    EXPECT_TRUE(pollTick(station).timerOff);
    EXPECT_FALSE(station.link.portLost);
}

TEST(SerialBenchTest, HeadlessStationListsDevicesAndPrintsReadingsUntilStopped)
{
    TempFolder home;
    std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--unit", "2:22", "--unit", "4:31:11110000"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);

    StationRun run = runHeadlessStation({"--home", QString::fromStdString(home.path()), "--port", "1"}, 3500);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 14);
    EXPECT_EQ(lines[0], "设备03: TAL-M5 (4.5V/4A)");
    EXPECT_EQ(lines[1], "设备05: TAL-M10 (120.0V/20A)");
    EXPECT_TRUE(lines[2].startsWith("3-1 running=0 V=")) << lines[2].toStdString();
    EXPECT_TRUE(lines[13].startsWith("5-4 running=0 V="));
    EXPECT_TRUE(lines[13].endsWith(" offline=0"));
    EXPECT_FALSE(run.out.contains("5-5 "));  // absent channels are not listed
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_FALSE(fileExists(link));
}

TEST(SerialBenchTest, HeadlessStationExitCodesForAWrongPortAndAnEmptyBus)
{
    TempFolder home;
    std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--unit", "5:20"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    QString dir = QString::fromStdString(home.path());

    StationRun none = runHeadlessStation({"--home", dir, "--port", "1", "--from", "1", "--to", "3", "--seconds", "1"});
    EXPECT_EQ(none.exitCode, 2);
    IniFile(home.path() + "/klv.ini").write("PORTS", "COM2", home.path() + "/no-such-tty");
    StationRun wrong = runHeadlessStation({"--home", dir, "--port", "2", "--seconds", "1"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains("错误的端口！"));
    StationRun found = runHeadlessStation({"--home", dir, "--port", "1", "--from", "6", "--to", "6", "--seconds", "3"});
    EXPECT_EQ(found.exitCode, 0);
    EXPECT_TRUE(found.out.startsWith("设备06: TAL-M3 (4.5V/1A)\n6-1 running=0"));
}
