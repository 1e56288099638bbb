#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "support/pg_server.h"

using namespace klv::lab;
using namespace std::chrono_literals;

namespace {

void open(PgConnection& db, const std::string& uri) { EXPECT_TRUE(db.connect(uri, 5s)) << db.error(); }

}  // namespace

// Bad connection strings each fail at once with one message that never shows the password.
TEST(LabConnection, BadTargetsFailWithAMessageWithoutThePassword)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    const std::string secret = "Sw0rdfish-42";
    const struct {
        std::string uri, expected;
    } cases[] = {
        {"postgresql://station:" + secret + "@127.0.0.1:" + std::to_string(server.port()) + "/postgres",
         "password authentication failed"},
        {"postgresql://postgres:" + secret + "@127.0.0.1:1/postgres", "127.0.0.1"},
        {"postgresql://postgres:" + secret + "@[127.0.0.1/x?sslmode=nonsense", "URI"},
        {"host=127.0.0.1 password=" + secret + " port=" + std::to_string(server.port()) + " user=nobody",
         "password authentication failed"},
    };
    for (const auto& c : cases) {
        PgConnection db;
        const auto began = std::chrono::steady_clock::now();
        EXPECT_FALSE(db.connect(c.uri, 3s));
        EXPECT_LT(std::chrono::steady_clock::now() - began, 5s) << c.uri;
        EXPECT_NE(db.error().find(c.expected), std::string::npos) << db.error();
        EXPECT_EQ(db.error().find(secret), std::string::npos) << db.error();
        EXPECT_EQ(redactUri(c.uri).find(secret), std::string::npos) << redactUri(c.uri);
    }
    EXPECT_EQ(redactUri("postgresql://u:p%40ss@h/db?sslmode=require"), "postgresql://u:***@h/db?sslmode=require");
}

// The schema is made once, found again, and a newer one or one that may not be made is refused.
TEST(LabConnection, MigrationMakesTheSchemaOnceAndRefusesWhatItCannotUse)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    PgConnection admin;
    open(admin, server.adminUri());
    ASSERT_TRUE(admin.exec("CREATE DATABASE lab").ok());
    ASSERT_TRUE(admin.exec("CREATE DATABASE bare").ok());
    ASSERT_TRUE(admin.exec("CREATE ROLE station LOGIN PASSWORD 'pw'").ok());
    ASSERT_TRUE(admin.exec("REVOKE CREATE ON SCHEMA public FROM PUBLIC").ok());

    PgConnection first;
    open(first, server.uri("lab"));
    const MigrationResult made = migrate(first);
    EXPECT_TRUE(made.ok && made.created) << made.message;
    PgConnection second;
    open(second, server.uri("lab"));
    const MigrationResult found = migrate(second);
    EXPECT_TRUE(found.ok && !found.created && found.version == kSchemaVersion) << found.message;

    PgConnection unprivileged;
    open(unprivileged, server.uri("station", "pw", "bare"));
    const MigrationResult refused = migrate(unprivileged);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("无权创建"), std::string::npos) << refused.message;

    ASSERT_TRUE(second.exec("UPDATE cellward.schema_version SET version = $1", {"3"}).ok());
    const MigrationResult newer = migrate(second);
    EXPECT_FALSE(newer.ok);
    EXPECT_EQ(newer.version, 3);
    EXPECT_NE(newer.message.find("第 3 版"), std::string::npos) << newer.message;
}

// A version-1 database with a row in every table is brought to the current version in place:
// every row kept, the new columns empty, the cycle table and the cell columns usable.
TEST(LabConnection, AnOlderSchemaIsUpgradedInPlaceWithEveryRowKept)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    PgConnection db;
    open(db, server.uri());
    std::ifstream file(KLV_SOURCE_DIR "/tests/lab/data/schema_v1.sql");
    const std::string v1{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const PgResult made = db.execScript(v1);
    ASSERT_TRUE(made.ok()) << made.error();
    const std::string id = "'6f1d2c3b-0000-4000-8000-000000000001'";
    for (const std::string& sql : {
             std::string("INSERT INTO cellward.station VALUES ('A', 'h', '1.0.0', now())"),
             "INSERT INTO cellward.test VALUES (" + id + ", 'A', 1, 2, 'TAL-M3', 'p', now(), NULL, NULL)",
             "INSERT INTO cellward.channel_state VALUES ('A', 1, 2, 'running', '放电', 3.7, -1, 0.5, 1.8, 1, 1, "
             "true, " +
                 id + ", now())",
             "INSERT INTO cellward.sample VALUES (" + id + ", 0, 1, NULL, 3.7, -1, 1, 1, 1, 0.1, 0.4)",
             "INSERT INTO cellward.step_result VALUES (" + id + ", 1, 1, '恒流放', 0.5, 1.8, 600)",
         })
        ASSERT_TRUE(db.exec(sql).ok()) << sql;

    const MigrationResult up = migrate(db);
    EXPECT_TRUE(up.ok && !up.created && up.version == kSchemaVersion) << up.message;
    const PgResult kept = db.exec(
        "SELECT (SELECT count(*) FROM cellward.station), (SELECT status FROM cellward.channel_state),"
        " (SELECT program FROM cellward.test WHERE cell_id IS NULL AND nominal_capacity_ah IS NULL),"
        " (SELECT voltage_volt FROM cellward.sample),"
        " (SELECT mode FROM cellward.step_result WHERE early_end IS NULL)");
    ASSERT_TRUE(kept.ok()) << kept.error();
    const std::vector<std::string> expected = {"1", "放电", "p", "3.7", "恒流放"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(kept.value(0, c), expected[size_t(c)]) << c;
    EXPECT_TRUE(db.exec("UPDATE cellward.test SET cell_id = 'B2412-007', nominal_capacity_ah = 2.5").ok());
    EXPECT_TRUE(db.exec("INSERT INTO cellward.cycle (test_id, cycle_count, cumulative_throughput_ah) VALUES (" + id +
                        ", 1, 0.5)")
                    .ok());
    EXPECT_FALSE(db.exec("UPDATE cellward.test SET cell_id = repeat('x', 65)").ok());
    EXPECT_TRUE(migrate(db).ok);
}

// Rows go in many to a statement, a replay adds nothing, and a frozen server costs one timeout.
TEST(LabConnection, InsertsAreIdempotentAndAFrozenServerTimesOut)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    PgConnection db;
    open(db, server.uri());
    ASSERT_TRUE(db.exec("CREATE TABLE t (k integer PRIMARY KEY, v text)").ok());
    std::vector<PgParams> rows;
    for (int k = 0; k < 40000; ++k)  // more than one statement's parameter limit
        rows.push_back({std::to_string(k), k % 2 ? PgParam("电压 'x'") : std::nullopt});
    for (int pass = 0; pass < 2; ++pass)
        ASSERT_TRUE(db.insertRows("t", {"k", "v"}, rows, "ON CONFLICT DO NOTHING").ok()) << db.error();
    const PgResult counted = db.exec("SELECT count(*), count(v), min(v) FROM t");
    EXPECT_EQ(counted.value(0, 0), "40000");
    EXPECT_EQ(counted.value(0, 1), "20000");
    EXPECT_EQ(counted.value(0, 2), "电压 'x'");
    const PgResult bad = db.exec("SELECT k FROM nowhere");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.sqlState(), "42P01");
    EXPECT_TRUE(db.connected());

    db.setStatementTimeout(1500ms);
    server.pause();
    const auto began = std::chrono::steady_clock::now();
    const PgResult frozen = db.exec("SELECT 1");
    const auto waited = std::chrono::steady_clock::now() - began;
    server.resume();
    EXPECT_FALSE(frozen.ok());
    EXPECT_FALSE(db.connected());
    EXPECT_GE(waited, 1400ms);
    EXPECT_LT(waited, 5s);
    EXPECT_NE(frozen.error().find("no answer"), std::string::npos) << frozen.error();
    EXPECT_TRUE(db.connect(server.uri(), 5s)) << db.error();
}
