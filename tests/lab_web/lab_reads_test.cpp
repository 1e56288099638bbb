#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>

#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "support/lab_cycles.h"
#include "support/lab_process.h"
#include "support/occurrences.h"
#include "support/pg_server.h"

using namespace klv::lab;
using namespace std::chrono_literals;

namespace {

const char* const kLong = "5a5a5a5a-0000-4000-8000-000000000001";
const char* const kNoClock = "5a5a5a5a-0000-4000-8000-000000000002";  // samples without Unix times
const char* const kCell = "5a5a5a5a-0000-4000-8000-000000000003";     // a cell's test with 3 cycles

std::string testId(int i)
{
    char id[40];
    std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012d", i);
    return id;
}

// Station A: 120 tests on channels 1-1..1-3, one a day from 2024-01-01, and a long test of
// 10 001 samples with its step results; station B: 5 whose program says "Charge-X" and one on
// device 3 of two samples without Unix times.
void fill(PgConnection& db)
{
    ASSERT_TRUE(db.exec("INSERT INTO cellward.station VALUES ('A', 'pc1', '1.0.0', now()), "
                        "('B', 'pc2', '1.0.0', now())")
                    .ok());
    std::vector<PgParams> tests;
    for (int i = 0; i < 125; ++i) {
        const bool b = i >= 120;
        tests.push_back({testId(i), b ? "B" : "A", "1", std::to_string(1 + i % 3), "TAL-M3",
                         b ? "恒压充 Charge-X" : "恒流放 01.00 03.00", "2024-01-01 12:00+00"});
    }
    tests.push_back({kLong, "A", "2", "1", "TAL-M5", "long", "2023-06-01 12:00+00"});
    tests.push_back({kNoClock, "B", "3", "1", "TAL-M5", "plain", "2022-06-01 12:00+00"});
    // Days apart, so date filters have something to cut.
    ASSERT_TRUE(db.insertRows("cellward.test", {"id", "station", "device", "channel", "model", "program", "started_at"},
                              tests, "")
                    .ok());
    ASSERT_TRUE(
        db.exec("UPDATE cellward.test SET started_at = started_at + (right(id::text, 3)::int || ' days')::interval "
                "WHERE id::text LIKE '00000000-%'")
            .ok());
    std::vector<PgParams> samples;
    for (int s = 0; s <= 10000; ++s)
        samples.push_back({kLong, std::to_string(s), std::to_string(2.0 * s), std::to_string(1700000000 + 2 * s),
                           std::to_string(3.0 + s / 10000.0), s < 5000 ? "-1.5" : "1.5", "0", "1", "0"});
    ASSERT_TRUE(db.insertRows("cellward.sample",
                              {"test_id", "seq", "test_time_second", "unix_time_second", "voltage_volt",
                               "current_ampere", "cycle_count", "step_count", "step_index"},
                              samples, "")
                    .ok());
    ASSERT_TRUE(db.exec("INSERT INTO cellward.sample (test_id, seq, test_time_second, voltage_volt, current_ampere, "
                        "cycle_count, step_count, step_index) VALUES ($1, 0, 0, 3, -1.5, 0, 1, 0), "
                        "($1, 1, 2, 3.5, -1.5, 0, 1, 0)",
                        {kNoClock})
                    .ok());
    ASSERT_TRUE(db.exec("INSERT INTO cellward.step_result VALUES ($1, 1, 1, '恒流放', 1.25, 4.5, 10000), "
                        "($1, 1, 2, '恒压充', 1.2, 4.9, 10002)",
                        {kLong})
                    .ok());
    ASSERT_TRUE(insertCycleTest(db, kCell, "B", 4, "Cell/Ab 12", 2.5, fadingCycles(3)));
}

}  // namespace

// What the pages read, through klv-lab's own HTTP answers: the test list's filters and pages,
// a long curve thinned as the station's graph thins it, the step results and the BDF file.
TEST(LabReads, ListsCurvesStepsAndBdfFromTheDatabase)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    PgConnection db;
    ASSERT_TRUE(db.connect(server.adminUri(), 5s)) << db.error();
    ASSERT_TRUE(migrate(db).ok);
    fill(db);
    if (HasFatalFailure())
        return;
    LabProcess lab({"--db", QString::fromStdString(server.uri())});
    ASSERT_NE(lab.port(), 0) << lab.errors().toStdString();
    httplib::Client http("127.0.0.1", lab.port());

    struct ListCase {
        std::string query;
        int rows;
        bool more;
    };
    const ListCase lists[] = {
        {"", 50, true},
        {"station=A", 50, true},
        {"station=A&page=2", 21, false},  // 120 short tests and the long one
        {"station=A&channel=1-2", 40, false},
        {"channel=2", 1, false},
        {"program=charge-x", 5, false},
        {"from=2024-01-02&to=2024-01-11", 10, false},  // test i starts on day i + 1
        {"station=%3Cb%3E", 0, false},
        {"cell=ab%2012", 1, false},
        {"cell=ab%2012&station=A", 0, false},
    };
    for (const ListCase& c : lists) {
        const auto res = http.Get("/api/tests?" + c.query);
        ASSERT_TRUE(res) << c.query;
        EXPECT_EQ(res->status, 200) << c.query;
        EXPECT_EQ(occurrences(res->body, "\"id\":"), c.rows) << c.query << " " << res->body.substr(0, 200);
        EXPECT_NE(res->body.find(c.more ? "\"more\":true" : "\"more\":false"), std::string::npos) << c.query;
    }

    // 10 001 samples on 100 pixels: step round(10001 / 400 + 1) = 26, so samples 0, 1, 27, …,
    // 9985 and the last, 10000.
    const auto curve = http.Get(std::string("/api/tests/") + kLong + "/curve?width=100");
    ASSERT_TRUE(curve);
    EXPECT_NE(curve->body.find("\"total\":10001,\"step\":26,\"t\":[0,2,54,"), std::string::npos) << curve->body;
    const std::string times = curve->body.substr(0, curve->body.find("],\"v\""));
    EXPECT_EQ(occurrences(times, ","), 3 + 385) << times;
    EXPECT_TRUE(times.ends_with(",19970,20000")) << times.substr(times.size() - 40);

    const auto test = http.Get(std::string("/api/tests/") + kLong);
    ASSERT_TRUE(test);
    EXPECT_EQ(occurrences(test->body, "\"cycle\":1"), 2) << test->body;
    EXPECT_NE(test->body.find("\"mode\":\"恒压充\",\"capacity\":1.2,\"energy\":4.9,\"seconds\":10002"),
              std::string::npos)
        << test->body;

    const auto bdf = http.Get(std::string("/tests/") + kLong + "/bdf");
    ASSERT_TRUE(bdf);
    EXPECT_NE(bdf->get_header_value("Content-Disposition").find("attachment"), std::string::npos);
    EXPECT_TRUE(
        bdf->body.starts_with("Test Time / s,Voltage / V,Current / A,Unix Time / s,Cycle Count / 1,"
                              "Step Count / 1,Step Index / 1\n0,3,-1.5,1700000000,0,1,0\n"))
        << bdf->body.substr(0, 200);
    EXPECT_EQ(occurrences(bdf->body, "\n"), 10002);
    EXPECT_NE(bdf->body.find("\n20000,4,1.5,1700020000,0,1,0\n"), std::string::npos);

    // A test whose samples do not know their Unix times: the station's own export columns.
    const auto plain = http.Get(std::string("/tests/") + kNoClock + "/bdf");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->body,
              "Test Time / s,Voltage / V,Current / A,Cycle Count / 1,Step Count / 1,Step Index / 1\n"
              "0,3,-1.5,0,1,0\n2,3.5,-1.5,0,1,0\n");

    // The cycle table comes back as the station's export writes it, under the cell's name.
    const auto cycles = http.Get(std::string("/tests/") + kCell + "/cycles.csv");
    ASSERT_TRUE(cycles);
    EXPECT_EQ(cycles->body, klv::cycleCsv(fadingCycles(3), 2.5));
    EXPECT_EQ(cycles->get_header_value("Content-Disposition"),
              std::string("attachment; filename=\"Cell_Ab_12-test-") + kCell + ".cycles.csv\"");
    const auto cellTest = http.Get(std::string("/api/tests/") + kCell);
    ASSERT_TRUE(cellTest);
    EXPECT_NE(cellTest->body.find(R"("cell_id":"Cell/Ab 12","nominal_capacity_ah":2.5)"), std::string::npos);
    EXPECT_EQ(http.Get(std::string("/api/compare?ids=") + kCell + ",x")->status, 400);

    for (const char* missing :
         {"/api/tests/5a5a5a5a-0000-4000-8000-00000000dead", "/tests/not-a-test/bdf",
          "/tests/5a5a5a5a-0000-4000-8000-00000000dead/bdf", "/tests/5a5a5a5a-0000-4000-8000-00000000dead/cycles.csv"})
        EXPECT_EQ(http.Get(missing)->status, 404) << missing;
}
