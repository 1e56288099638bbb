#include <gtest/gtest.h>

#include <QProcess>
#include <memory>

#include "support/lab_process.h"
#include "support/pg_server.h"
#include "support/sim_process.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

namespace {

// A simulated bench and its headless station, writing to the lab database under `name`.
struct Bench {
    TempFolder home;
    std::unique_ptr<SimProcess> sim;
    QProcess station;

    Bench(const std::string& db, const QString& name)
    {
        const std::string link = home.path() + "/bench-tty";
        sim = std::make_unique<SimProcess>(link, QStringList{"--unit", "0:20", "--speed", "20"});
        writeBenchIni(home.path(), link);
        // A long discharge, then a rest: the channels run for the whole test.
        const std::string program =
            writeProgramFile(home.path() + "/p.stp",
                             {{{"恒流放", "01.00", "02.50", "00.00", "0"}, {"搁置", "00.00", "00.00", "00.00", "5"}}});
        station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        station.start(QStringLiteral(KLV_STATION_PATH),
                      {"--headless", "--home", QString::fromStdString(home.path()), "--port", "1", "--program",
                       QString::fromStdString(program), "--channels", "1-1,1-2,1-3", "--lab",
                       QString::fromStdString(db), "--station", name});
    }
    ~Bench()
    {
        station.terminate();
        if (!station.waitForFinished(10000))
            station.kill();
        station.waitForFinished();
    }
};

}  // namespace

// Two simulated benches and two headless stations write to one database; Chromium shows both
// stations' tiles, live, the markup-named one as text, a running test's page with its chart
// following the test and its BDF download, and the killed station going stale. The steps are
// in lab_page.mjs.
TEST(LabPage, TwoStationsWritingInTheBrowser)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    const QString markup = QStringLiteral("<img src=x onerror=alert(1)>");
    Bench a(server.uri(), QStringLiteral("bench-A"));
    Bench b(server.uri(), markup);
    ASSERT_TRUE(a.sim->started() && b.sim->started());
    ASSERT_TRUE(a.station.waitForStarted() && b.station.waitForStarted());
    LabProcess lab({"--db", QString::fromStdString(server.uri())});
    ASSERT_FALSE(lab.url().empty()) << lab.errors().toStdString();

    QString output;
    const int code = runNode(
        QStringLiteral(KLV_SOURCE_DIR "/tests/lab_web/lab_page.mjs"),
        {QString::fromStdString(lab.url()), "bench-A", markup, QString::number(b.station.processId())}, output, 180000);
    EXPECT_EQ(code, 0) << output.toStdString();
}
