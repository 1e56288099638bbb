#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <filesystem>

#include "platform/text_file.h"
#include "program/program_tables.h"
#include "program/step_file.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

// klv-station as a user starts it from a terminal, with `display` as the only display setting.
Outcome station(const QStringList& args, const QString& display = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (!display.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KLV_STATION_PATH), args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

TEST(StationProcessTest, CommandLineAnswersWithoutADisplay)
{
    const struct {
        QStringList args;
        int code;
        std::string says;  // in stdout for 0, else in stderr
    } cases[] = {
        {{"--version"}, 0, "klv-station 1.0.0"},
        {{"--help"}, 0, "Usage: klv-station [options]"},
        {{"--help"}, 0, "--continue <LIST>"},
        {{"--channels", "9-9"}, 64, "bad option --channels"},
        {{"--headless", "--home", "/tmp"}, 64, "needs a port"},
        {{"--home", "/tmp"}, 1, "no display"},
        {{"--cell", "1-1"}, 64, "bad option --cell"},
        {{"--cell", "9-9=B1"}, 64, "bad option --cell"},
        {{"--cell", "1-1="}, 64, "1 到 64 个字符"},
        {{"--cell", "1-1=" + QString(65, 'x')}, 64, "1 到 64 个字符"},
        {{"--cell", "1-1=B1:0"}, 64, "大于 0"},
        {{"--cell", "1-1=B1:2.5Ah"}, 64, "大于 0"},
        // 64 characters of three bytes each are still 64 characters.
        {{"--cell", "1-1,2-1=" + QString(64, QChar(0x7535)) + ":2.5", "--headless", "--home", "/tmp"},
         64,
         "needs a port"},
    };
    for (const auto& c : cases) {
        const Outcome o = station(c.args);
        EXPECT_EQ(o.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_NE((c.code == 0 ? o.out : o.err).find(c.says), std::string::npos) << o.out << o.err;
    }
}

// The window, started as a bench PC's autostart would start it, connects, applies the program
// to three channels, starts them and keeps a picture of itself up to date.
TEST(StationProcessTest, WindowConnectsAndStartsTheNamedChannelsFromTheCommandLine)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--unit", "0:20", "--unit", "1:22"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    TextGrid table = newStepTable();
    const char* row[5] = {"恒流放", "00.50", "03.00", "00.00", "0"};
    for (int c = 0; c < 5; ++c)
        table.at(1, c + 1) = row[c];
    const std::string program = home.path() + "/p.stp";
    ASSERT_TRUE(writeStepFile(program, table));

    const std::string shot = home.path() + "/bench.png";
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(KLV_STATION_PATH),
                 {"--home", QString::fromStdString(home.path()), "--port", "1", "--program",
                  QString::fromStdString(program), "--channels", "1-1,1-2,2-3", "--snapshot",
                  QString::fromStdString(shot), "--every", "1"});
    const auto backup = [&](const char* channel) { return home.path() + "/klv-com1-" + channel + ".bk0"; };
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000 && !(fileExists(backup("2-3")) && fileExists(shot)))
        QThread::msleep(100);
    const QImage picture(QString::fromStdString(shot));
    window.kill();
    window.waitForFinished();

    EXPECT_TRUE(fileExists(backup("1-1")) && fileExists(backup("1-2")) && fileExists(backup("2-3")));
    EXPECT_FALSE(fileExists(backup("1-3")));
    EXPECT_GE(picture.width(), 900);
    EXPECT_FALSE(std::filesystem::exists(shot + ".part"));
    bool historyLine = false;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Log"))
        for (const auto& line : readLines(entry.path().string()).value_or(std::vector<std::string>{}))
            historyLine = historyLine || line.ends_with("启动选中通道");
    EXPECT_TRUE(historyLine);
}

}  // namespace
