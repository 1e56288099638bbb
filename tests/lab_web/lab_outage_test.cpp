#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <memory>
#include <thread>

#include "lab/pg_pool.h"
#include "lab/schema_migration.h"
#include "support/lab_process.h"
#include "support/occurrences.h"
#include "support/pg_server.h"
#include "support/raw_client.h"

using namespace std::chrono_literals;

namespace {

const std::string kTest = "5a5a5a5a-0000-4000-8000-000000000003", kBdf = "/tests/" + kTest + "/bdf";

// The status of `path` once it is `want`, else the last one seen when `limit` has run out.
int statusBecomes(httplib::Client& http, const std::string& path, int want, std::chrono::seconds limit)
{
    for (const auto end = std::chrono::steady_clock::now() + limit;; std::this_thread::sleep_for(100ms))
        if (const auto res = http.Get(path); (res && res->status == want) || std::chrono::steady_clock::now() > end)
            return res ? res->status : -1;
}

}  // namespace

// Ten downloads of a long test at once, their clients reading nothing: four stream, the rest
// are told when to come back, and the page still answers. Then the database stops under the
// running klv-lab, which answers 503 JSON, and starts again, which klv-lab finds by itself.
TEST(LabOutage, DownloadsAndTheDatabaseGoingAway)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    klv::lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.adminUri(), 5s)) << db.error();
    ASSERT_TRUE(klv::lab::migrate(db).ok);
    ASSERT_TRUE(db.exec("INSERT INTO cellward.station VALUES ('A', 'pc1', '1.0.0', now())").ok());
    ASSERT_TRUE(db.exec("INSERT INTO cellward.test VALUES ($1, 'A', 1, 1, 'TAL-M3', 'p', now())", {kTest}).ok());
    // 300 000 samples, some 10 MB of CSV: more than the sockets in between hold.
    ASSERT_TRUE(db.exec("INSERT INTO cellward.sample SELECT id, s, s, 1700000000 + s, 3.5, 1.5, 0, 1, 0 "
                        "FROM cellward.test, generate_series(0, 299999) s")
                    .ok());
    LabProcess lab({"--db", QString::fromStdString(server.uri())});
    ASSERT_NE(lab.port(), 0) << lab.errors().toStdString();
    httplib::Client http("127.0.0.1", lab.port());
    http.set_read_timeout(2, 0);  // the page answers within 2 s or the request fails

    std::vector<std::unique_ptr<RawClient>> downloads;
    int streaming = 0, refused = 0;
    for (int i = 0; i < 10; ++i) {
        downloads.push_back(std::make_unique<RawClient>("127.0.0.1", lab.port(), 4096));
        ASSERT_TRUE(downloads.back()->send("GET " + kBdf + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
        const std::string head = downloads.back()->answer(2000, true);
        streaming += head.starts_with("HTTP/1.1 200 OK");
        refused += head.starts_with("HTTP/1.1 503") && head.find("Retry-After: 10\r\n") != std::string::npos;
    }
    EXPECT_EQ(streaming, 4);
    EXPECT_EQ(refused, 6);
    for (const char* path : {"/api/tests", "/api/live"})
        EXPECT_EQ(statusBecomes(http, path, 200, 0s), 200) << path;
    downloads.clear();  // the streams end short and give their slots back
    ASSERT_EQ(statusBecomes(http, kBdf, 200, 5s), 200);
    EXPECT_EQ(occurrences(http.Get(kBdf)->body, "\n"), 300001);

    klv::lab::PgPool pool(server.uri());  // keeps a connection idle across the restart
    pool.query("SELECT 1", {});
    const std::string paths[] = {"/api/live", "/api/tests", "/api/tests/" + kTest, "/api/tests/" + kTest + "/curve",
                                 kBdf};
    ASSERT_TRUE(server.stop());
    EXPECT_EQ(statusBecomes(http, "/api/live", 503, 5s), 503);
    for (const std::string& path : paths) {
        const auto res = http.Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(std::to_string(res->status) + res->body, R"(503{"error":"database unreachable"})") << path;
    }
    ASSERT_TRUE(server.start());
    EXPECT_NO_THROW(pool.query("SELECT 1", {}));
    EXPECT_EQ(statusBecomes(http, "/api/live", 200, 10s), 200);
    for (const std::string& path : paths)
        EXPECT_EQ(statusBecomes(http, path, 200, 0s), 200) << path;
}
