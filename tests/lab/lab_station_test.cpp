#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <map>
#include <thread>

#include "data/data_loader.h"
#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "platform/text_file.h"
#include "support/lab_compare.h"
#include "support/pg_server.h"
#include "support/sim_process.h"
#include "support/small_disk.h"
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

    // The cells are named at the start only: the continue below keeps them from the backups.
    auto cutLab =
        launch(withLab.start(QStringList{"--cell", "1-1=B2412-007:2.5", "--cell", "1-2=电芯-二号"} << lab), 6000);
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
    // Lost on the statement that got no answer (a reconnect attempt may fail once more, said
    // once), then back.
    EXPECT_TRUE(doneLab.err.contains("实验室库: 未连接, no answer from the server")) << doneLab.err.toStdString();
    EXPECT_LE(doneLab.err.count("实验室库: 未连接"), 2) << doneLab.err.toStdString();
    EXPECT_TRUE(
        doneLab.err.trimmed().endsWith(QString::fromStdString("实验室库: 已连接 " + lab::redactUri(server.uri()))))
        << doneLab.err.toStdString();

    lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.uri(), 5s)) << db.error();
    EXPECT_EQ(labQuery(db, "SELECT count(*) FROM cellward.test WHERE end_reason = $1", {"完成"}), "2\n");
    EXPECT_EQ(labQuery(db,
                       "SELECT cell_id || ',' || coalesce(nominal_capacity_ah::text, '') FROM cellward.test"
                       " ORDER BY channel"),
              "B2412-007,2.5\n电芯-二号,\n");
    EXPECT_EQ(labQuery(db, "SELECT count(DISTINCT test_id) FROM cellward.cycle WHERE cycle_count = 2"), "2\n");
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

namespace {

// What a power cut leaves of the files a station wrote under the page cache shim: each file cut
// back to its size when it was last synced, or before the station first wrote to it.
void cutUnsyncedTails(const std::string& syncLog)
{
    namespace fs = std::filesystem;
    std::map<std::string, long long> kept;
    for (const std::string& line : readRawLines(syncLog).value_or(std::vector<std::string>{})) {
        const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        const std::string a = line.substr(tab1 + 1, tab2 - tab1 - 1), b = line.substr(tab2 + 1);
        if (line[0] == 'W')
            kept.try_emplace(b, std::stoll(a));
        else if (line[0] == 'S')
            kept[b] = std::stoll(a);
        else if (auto from = kept.find(fs::weakly_canonical(a).string()); from != kept.end()) {
            kept[fs::weakly_canonical(b).string()] = from->second;
            kept.erase(from);
        }
    }
    for (const auto& [path, size] : kept) {
        std::error_code error;
        if (fs::is_regular_file(path, error) && static_cast<long long>(fs::file_size(path, error)) > size)
            fs::resize_file(path, static_cast<std::uintmax_t>(size), error);
    }
}

}  // namespace

// The power goes mid-test: whatever the station had not synced is gone from its files, while
// the lab database keeps what it took. Continued, the test ends with the database holding
// exactly the data file's samples: no number in it names two different samples.
TEST(LabStation, APowerCutThatDropsWhatWasNotSyncedLeavesTheDatabaseEqualToTheDataFile)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    LabBench bench("450");
    ASSERT_TRUE(bench.sim.started());
    const QStringList lab{"--lab", QString::fromStdString(server.uri()), "--station", "bench-a"};
    const std::string syncLog = bench.home.path() + "/sync.log";
    QProcessEnvironment shimmed = QProcessEnvironment::systemEnvironment();
    shimmed.insert("LD_PRELOAD", KLV_PAGE_CACHE_SHIM);
    shimmed.insert("KLV_SYNC_LOG", QString::fromStdString(syncLog));

    runProgram(KLV_STATION_PATH, bench.start(lab), 6000, SIGKILL, 90000, shimmed);
    ASSERT_TRUE(fileExists(syncLog));
    cutUnsyncedTails(syncLog);
    const StationRun done = launch(bench.args(QStringList{"--continue", "all"} << lab)).get();
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();

    lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.uri(), 5s)) << db.error();
    for (const char* channel : kChannels) {
        SCOPED_TRACE(channel);
        const std::string dat = dataFileOf(bench.data(), std::string(channel) + ".dat");
        EXPECT_GT(expectTestEqualsDataFile(db, labTestId(db, "bench-a", 1, channel[3] - '0'), dat), 5u);
    }
}

// The outbox's disk falls below its reserve mid-test and frees a few seconds later: the outbox
// stops growing and says so, and what it could not keep goes again from the backups. Then an
// exit with the database unreachable says how many rows wait, and the next start sends them.
TEST(LabStation, AnOutboxBelowItsReserveAndAnExitWithoutTheDatabaseLoseNoRow)
{
    SmallDisk disk("4M");
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason();
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    LabBench bench("450");
    ASSERT_TRUE(bench.sim.started());
    std::filesystem::create_directory(disk.path() + "/outbox");
    std::filesystem::create_directory_symlink(disk.path() + "/outbox", bench.home.path() + "/LabOutbox");
    ASSERT_TRUE(appendLine(bench.home.path() + "/klv.ini", "[LAB]\r\nOutboxReserveMB=2"));

    auto running = launch(bench.start({"--lab", QString::fromStdString(server.uri()), "--station", "bench-a"}));
    std::this_thread::sleep_for(2s);
    const std::string filler = disk.fill();
    std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - (1 << 20));
    std::this_thread::sleep_for(4s);
    std::filesystem::remove(filler);
    const StationRun done = running.get();
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();
    EXPECT_TRUE(done.err.contains("实验室库的待发数据已到磁盘的保留空间")) << done.err.toStdString();

    const QStringList away{"--lab", "postgresql://cellward@127.0.0.1:1/cellward", "--station", "bench-b"};
    const StationRun again = launch(bench.start(away)).get();
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    const QRegularExpression waiting(QStringLiteral("实验室库: (\\d+) 行待发, 下次启动时发送"));
    EXPECT_GT(waiting.match(again.err).captured(1).toInt(), 0) << again.err.toStdString();
    const QStringList back{"--seconds", "6", "--lab", QString::fromStdString(server.uri()), "--station", "bench-b"};
    const StationRun sent = launch(bench.args(back)).get();
    ASSERT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_FALSE(sent.err.contains("行待发")) << sent.err.toStdString();

    lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.uri(), 5s)) << db.error();
    EXPECT_EQ(labQuery(db, "SELECT count(*) FROM cellward.test WHERE end_reason = $1", {"完成"}), "4\n");
    for (const char* channel : kChannels) {
        SCOPED_TRACE(channel);
        std::vector<std::string> dats;  // the first run's first
        for (const auto& entry : std::filesystem::directory_iterator(bench.data()))
            if (entry.path().string().ends_with(std::string(channel) + ".dat"))
                dats.push_back(entry.path().string());
        std::sort(dats.begin(), dats.end(), [](const std::string& a, const std::string& b) {
            return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
        });
        ASSERT_EQ(dats.size(), 2u);
        for (size_t run = 0; run < 2; ++run) {
            const std::string id = labTestId(db, run == 0 ? "bench-a" : "bench-b", 1, channel[3] - '0');
            EXPECT_GT(expectTestEqualsDataFile(db, id, dats[run]), 5u);
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
    ASSERT_TRUE(newer.exec("UPDATE cellward.schema_version SET version = $1", {"3"}).ok()) << newer.error();

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
        {server.uri("newer"), "第 3 版"},
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
