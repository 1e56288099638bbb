#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "support/lab_process.h"
#include "support/pg_server.h"
#include "support/temp_folder.h"

using namespace klv::lab;
using namespace std::chrono_literals;

namespace {

const char* const kTestA = "7e570000-0000-4000-8000-00000000000a";

// Two stations as they write to the lab database: a heartbeat and their channel rows every
// half second, readings moving, until the stop file for the second one appears. Runs on its
// own thread with its own connection.
class StationWriters {
public:
    StationWriters(const std::string& uri, std::string a, std::string b, std::string stopFile)
            : names_{std::move(a), std::move(b)}, stopFile_(std::move(stopFile))
    {
        ok_ = db_.connect(uri, 5s) && migrate(db_).ok && seed();
        thread_ = std::thread([this] { run(); });
    }
    ~StationWriters()
    {
        done_ = true;
        thread_.join();
    }
    bool ok() const { return ok_; }

private:
    bool seed()
    {
        for (int s = 0; s < 2; ++s) {
            const std::string test =
                s == 0 ? "7e570000-0000-4000-8000-00000000000a" : "7e570000-0000-4000-8000-00000000000b";
            if (!db_.exec("INSERT INTO cellward.station VALUES ($1, 'pc', '1.0.0', now())", {names_[s]}).ok() ||
                !db_.exec("INSERT INTO cellward.test (id, station, device, channel, model, program, started_at) "
                          "VALUES ($1, $2, 1, 1, 'TAL-M3', $3, now())",
                          {test, names_[s], "恒流放 01.00 03.00 00.00 0\n" + names_[s]})
                     .ok() ||
                !db_.exec("INSERT INTO cellward.channel_state SELECT $1, 1, c, CASE WHEN c = 1 THEN 'running' "
                          "ELSE 'idle' END, '1-' || c || CASE WHEN c = 1 THEN '  放电' ELSE '  停止' END, 3.6, "
                          "CASE WHEN c = 1 THEN -1.0 ELSE 0 END, 0, 0, 1, 1, c = 1, CASE WHEN c = 1 THEN $2::uuid END, "
                          "now() FROM generate_series(1, 8) c",
                          {names_[s], test})
                     .ok() ||
                !db_.exec(
                        "INSERT INTO cellward.sample (test_id, seq, test_time_second, unix_time_second, voltage_volt, "
                        "current_ampere, cycle_count, step_count, step_index) SELECT $1, g, g * 2.0, "
                        "extract(epoch FROM now()) + g * 2.0, 4.1 - g / 500.0, -1.0, 0, 0, 0 "
                        "FROM generate_series(0, 499) g",
                        {test})
                     .ok() ||
                !db_.exec("INSERT INTO cellward.step_result VALUES ($1, 1, 1, '恒流放', 0.25, 0.9, 998)", {test}).ok())
                return false;
        }
        return true;
    }

    void run()
    {
        for (int tick = 0; !done_ && ok_; ++tick) {
            const bool bAlive = !std::filesystem::exists(stopFile_);
            for (int s = 0; s < (bAlive ? 2 : 1); ++s) {
                db_.exec("UPDATE cellward.station SET last_seen = now() WHERE name = $1", {names_[s]});
                db_.exec(
                    "UPDATE cellward.channel_state SET voltage_volt = $2::float8, updated_at = now() "
                    "WHERE station = $1 AND channel = 1",
                    {names_[s], std::to_string(3.6 - 0.001 * tick)});
            }
            // Station A's running test grows by a sample a tick.
            db_.exec(
                "INSERT INTO cellward.sample (test_id, seq, test_time_second, voltage_volt, current_ampere, "
                "cycle_count, step_count, step_index) VALUES ($1, $2::int, $2::int * 2.0, 3.0, -1.0, 0, 0, 0)",
                {kTestA, std::to_string(500 + tick)});
            std::this_thread::sleep_for(500ms);
        }
    }

    PgConnection db_;
    std::string names_[2], stopFile_;
    bool ok_ = false;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace

// Two stations write; Chromium shows both, live, the markup-named one as text, a test page
// with its chart and its BDF download, and the silent station going stale. The steps are in
// lab_page.mjs.
TEST(LabPage, TwoWritingStationsInTheBrowser)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    TempFolder dir;
    const std::string markup = "<img src=x onerror=alert(1)>", stop = dir.path() + "/stop-b";
    StationWriters writers(server.adminUri(), "bench-A", markup, stop);
    ASSERT_TRUE(writers.ok());
    LabProcess lab({"--db", QString::fromStdString(server.uri())});
    ASSERT_FALSE(lab.url().empty()) << lab.errors().toStdString();

    QString output;
    const int code = runNode(
        QStringLiteral(KLV_SOURCE_DIR "/tests/lab_web/lab_page.mjs"),
        {QString::fromStdString(lab.url()), "bench-A", QString::fromStdString(markup), QString::fromStdString(stop)},
        output, 150000);
    EXPECT_EQ(code, 0) << output.toStdString();
}
