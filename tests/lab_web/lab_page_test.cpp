#include <gtest/gtest.h>

#include <QProcess>
#include <memory>

#include "support/lab_cycles.h"
#include "support/lab_process.h"
#include "support/lab_schema.h"
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
// following the test and its BDF download, and the killed station going stale. Beside them two
// finished tests of named cells: their cycles, the cell filter and the compare view. The steps
// are in lab_page.mjs.
TEST(LabPage, TwoStationsWritingInTheBrowser)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    ASSERT_TRUE(makeLabSchema(server));
    const std::string cellA = "c0c0c0c0-0000-4000-8000-00000000000a", cellB = "c0c0c0c0-0000-4000-8000-00000000000b";
    {
        klv::lab::PgConnection db;
        ASSERT_TRUE(db.connect(server.adminUri(), std::chrono::seconds(5)));
        ASSERT_TRUE(db.exec("INSERT INTO cellward.station VALUES ('cells', 'pc', '1.0.0', now())").ok());
        ASSERT_TRUE(insertCycleTest(db, cellA, "cells", 1, "LFP-Page-0001", 2.5, fadingCycles(4)));
        ASSERT_TRUE(insertCycleTest(db, cellB, "cells", 2, "LFP-Page-0002", 2.5, fadingCycles(7)));
        ASSERT_TRUE(
            db.exec("UPDATE cellward.test SET ended_at = now(), end_reason = 'done' WHERE station = 'cells'").ok());
    }
    const QString markup = QStringLiteral("<img src=x onerror=alert(1)>");
    Bench a(server.uri(), QStringLiteral("bench-A"));
    Bench b(server.uri(), markup);
    ASSERT_TRUE(a.sim->started() && b.sim->started());
    ASSERT_TRUE(a.station.waitForStarted() && b.station.waitForStarted());
    LabProcess lab({"--db", QString::fromStdString(server.uri())});
    ASSERT_FALSE(lab.url().empty()) << lab.errors().toStdString();

    QString output;
    const int code =
        runNode(QStringLiteral(KLV_SOURCE_DIR "/tests/lab_web/lab_page.mjs"),
                {QString::fromStdString(lab.url()), "bench-A", markup, QString::number(b.station.processId()),
                 QString::fromStdString(cellA), QString::fromStdString(cellB)},
                output, 180000);
    EXPECT_EQ(code, 0) << output.toStdString();
}
