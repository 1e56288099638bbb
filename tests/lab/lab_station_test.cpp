#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#include "data/data_loader.h"
#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "platform/text_file.h"
#include "support/lab_compare.h"
#include "support/pg_server.h"
#include "support/sim_process.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

using namespace klv;
using namespace std::chrono_literals;

namespace {

// A simulated bench on a pseudo-terminal with its own program folder, for one headless station.
struct LabBench {
    explicit LabBench(const char* speed) : link(home.path() + "/tty"), sim(link, {"--speed", speed})
    {
        writeBenchIni(home.path(), link);
        // Discharge, charge, twice.
        program = writeProgramFile(home.path() + "/cycle.stp", {{"恒流放", "01.00", "03.60", "00.00", "0"},
                                                                {"恒压充", "01.00", "03.90", "00.50", "0"},
                                                                {"循环", "00.00", "00.00", "00.00", "2"}});
    }
    // klv-station --headless on this bench's first unit with these arguments.
    QStringList args(const QStringList& more) const
    {
        return QStringList{
                   "--headless", "--home",    QString::fromStdString(home.path()), "--port", "1", "--from", "1", "--to",
                   "1",          "--autosave"}
               << more;
    }
    QStringList start(const QStringList& more) const
    {
        return args(QStringList{"--program", QString::fromStdString(program), "--channels", "1-1,1-2"} << more);
    }
    std::string data() const { return home.path() + "/Data"; }

    TempFolder home;
    std::string link;
    SimProcess sim;
    std::string program;
};

// The station run in the background; SIGKILL after killAfterMs when given.
std::future<StationRun> launch(const QStringList& args, int killAfterMs = -1)
{
    return std::async(std::launch::async,
                      [args, killAfterMs] { return runProgram(KLV_STATION_PATH, args, killAfterMs, SIGKILL, 90000); });
}

const char* const kChannels[] = {"-1-1", "-1-2"};

}  // namespace

// Two benches, two stations with their own program folders, one database: every test that runs
// to its end is in the database with exactly the samples and step results of its own files.
TEST(LabStation, TwoStationsStreamEveryTestOfTheirBenchesIntoOneDatabase)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    LabBench a("600"), b("600");
    ASSERT_TRUE(a.sim.started() && b.sim.started());
    const QString url = QString::fromStdString(server.uri());
    auto runA = launch(a.start({"--lab", url, "--station", "bench-a"}));
    auto runB = launch(b.start({"--lab", url, "--station", "bench-b"}));
    const StationRun doneA = runA.get(), doneB = runB.get();
    ASSERT_EQ(doneA.exitCode, 0) << doneA.err.toStdString();
    ASSERT_EQ(doneB.exitCode, 0) << doneB.err.toStdString();
    for (const StationRun* run : {&doneA, &doneB}) {
        EXPECT_TRUE(run->err.contains("实验室库: 已连接")) << run->err.toStdString();
        EXPECT_FALSE(run->err.contains(PgServer::password()) || run->out.contains(PgServer::password()));
    }

    lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.uri(), 5s)) << db.error();
    EXPECT_EQ(labQuery(db, "SELECT count(*) FROM cellward.test WHERE end_reason = $1", {"完成"}), "4\n");
    for (const auto& [bench, station] : {std::pair{&a, "bench-a"}, std::pair{&b, "bench-b"}}) {
        for (int channel = 1; channel <= 2; ++channel) {
            SCOPED_TRACE(std::string(station) + kChannels[channel - 1]);
            const std::string id = labTestId(db, station, 1, channel);
            ASSERT_FALSE(id.empty());
            const std::string dat = dataFileOf(bench->data(), std::string(kChannels[channel - 1]) + ".dat");
            EXPECT_GT(expectTestEqualsDataFile(db, id, dat), 5u);
            EXPECT_EQ(loadDataFile(dat).results.size(), 4u);
        }
    }
}

namespace {

// What of a saved file does not depend on the moment: a data file's header lines and a result
// file's header lines with the cycle, step and mode of each row.
std::vector<std::string> shapeOf(const std::string& path)
{
    std::vector<std::string> shape;
    for (const std::string& line : readLines(path).value_or(std::vector<std::string>{})) {
        if (line.empty() || line[0] < '0' || line[0] > '9')
            shape.push_back(line);
        else if (path.ends_with(".run"))
            shape.push_back(line.substr(0, line.find('\t', line.find('\t', line.find('\t') + 1) + 1)));
    }
    return shape;
}

}  // namespace

// Two benches run the same program side by side, one station with the lab link and one
// without. Both stations are killed (SIGKILL) mid-test and continued; while they continue the
// database is frozen (SIGSTOP) for longer than the link's statement timeout, then thawed. The
// tests end whole, every sample and step result is in the database once, and the files of the
// station with the lab link hold what those of the station without one do.
TEST(LabStation, AKilledStationAndAFrozenDatabaseLoseAndDoubleNothing)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    LabBench withLab("450"), plain("450");
    ASSERT_TRUE(withLab.sim.started() && plain.sim.started());
    const QStringList lab{"--lab", QString::fromStdString(server.uri()), "--station", "bench-a"};

    auto cutLab = launch(withLab.start(lab), 6000);
    auto cutPlain = launch(plain.start({}), 6000);
    cutLab.get();
    cutPlain.get();
    ASSERT_TRUE(fileExists(withLab.home.path() + "/klv-com1-1-2.bk1"));

    auto runLab = launch(withLab.args(QStringList{"--continue", "all"} << lab));
    auto runPlain = launch(plain.args({"--continue", "all"}));
    std::this_thread::sleep_for(2s);
    server.pause();
    std::this_thread::sleep_for(12s);
    server.resume();
    const StationRun doneLab = runLab.get(), donePlain = runPlain.get();
    ASSERT_EQ(doneLab.exitCode, 0) << doneLab.err.toStdString();
    ASSERT_EQ(donePlain.exitCode, 0) << donePlain.err.toStdString();
    // Lost once with its reason, then back.
    EXPECT_EQ(doneLab.err.count("实验室库: 未连接"), 1) << doneLab.err.toStdString();
    EXPECT_TRUE(
        doneLab.err.trimmed().endsWith(QString::fromStdString("实验室库: 已连接 " + lab::redactUri(server.uri()))))
        << doneLab.err.toStdString();

    lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.uri(), 5s)) << db.error();
    EXPECT_EQ(labQuery(db, "SELECT count(*) FROM cellward.test WHERE end_reason = $1", {"完成"}), "2\n");
    for (const char* channel : kChannels) {
        SCOPED_TRACE(channel);
        const std::string dat = dataFileOf(withLab.data(), std::string(channel) + ".dat");
        EXPECT_GT(expectTestEqualsDataFile(db, labTestId(db, "bench-a", 1, channel[3] - '0'), dat), 5u);
        for (const char* kind : {".dat", ".run"}) {
            const std::string ours = dataFileOf(withLab.data(), channel + std::string(kind));
            EXPECT_EQ(shapeOf(ours), shapeOf(dataFileOf(plain.data(), channel + std::string(kind)))) << ours;
            EXPECT_FALSE(shapeOf(ours).empty());
        }
    }
}

// A lab target that cannot be used is said once, with its reason and without its password,
// while the station goes on polling its bench.
TEST(LabStation, EachUnusableLabTargetIsSaidOnceWhileTheStationPolls)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    const std::string secret = "Sw0rdfish-42";
    lab::PgConnection admin;
    ASSERT_TRUE(admin.connect(server.adminUri(), 5s)) << admin.error();
    for (const char* sql : {"CREATE DATABASE bare", "CREATE DATABASE newer"})
        ASSERT_TRUE(admin.exec(sql).ok()) << admin.error();
    ASSERT_TRUE(admin.exec("CREATE ROLE station LOGIN PASSWORD '" + secret + "'").ok()) << admin.error();
    lab::PgConnection newer;
    ASSERT_TRUE(newer.connect(server.adminUri("newer"), 5s)) << newer.error();
    ASSERT_TRUE(lab::migrate(newer).ok);
    ASSERT_TRUE(newer.exec("UPDATE cellward.schema_version SET version = $1", {"2"}).ok()) << newer.error();

    LabBench bench("600");
    ASSERT_TRUE(bench.sim.started());
    const std::string port = std::to_string(server.port());
    const struct {
        std::string url, reason;
    } cases[] = {
        {"postgresql://station:" + secret + "@[127.0.0.1/bare", "URI"},
        {"postgresql://station:" + secret + "@127.0.0.1:1/bare", "port 1 failed"},
        {server.uri("station", secret + "x", "bare"), "password authentication failed"},
        {server.uri("station", secret, "bare"), "无权创建"},
        {server.uri("newer"), "第 2 版"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const StationRun run = runProgram(
            KLV_STATION_PATH, bench.args({"--seconds", "5", "--lab", QString::fromStdString(c.url)}), -1, 0, 60000);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.err.count("实验室库: "), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromStdString(c.reason))) << run.err.toStdString();
        EXPECT_GE(run.out.count("1-1 running=0"), 2) << run.out.toStdString();
        for (const QString& shown : {run.out, run.err})
            EXPECT_FALSE(shown.contains(secret.c_str()) || shown.contains(PgServer::password()));
    }
}
