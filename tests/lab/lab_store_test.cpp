#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <thread>

#include "data/data_loader.h"
#include "lab/lab_store.h"
#include "lab/pg_connection.h"
#include "link/poll_cycle.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "support/bench_fixture.h"
#include "support/lab_compare.h"
#include "support/pg_server.h"
#include "view/station_startup.h"

using namespace klv;
using namespace std::chrono_literals;

namespace {

// Discharge at 1 A to 3.00 V, charge at 1 A to 4.20 V down to 0.10 A, twice.
TextGrid program()
{
    TextGrid t = newStepTable();
    const std::vector<std::vector<std::string>> rows{{"恒流放", "01.00", "03.00", "00.00", "0"},
                                                     {"恒压充", "01.00", "04.20", "00.10", "0"},
                                                     {"循环", "00.00", "00.00", "00.00", "2"}};
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < 5; ++c)
            t.at(static_cast<int>(r) + 1, static_cast<int>(c) + 1) = rows[r][c];
    return t;
}

const int kSlots[] = {0, 1, 8};  // channels 1-1, 1-2 and 2-1

// Two units with small cells in virtual time, running the program on three channels.
struct LabBench : BenchFixture {
    LabBench()
    {
        port.setLineTiming(false);
        for (int address : {0, 1}) {
            auto& unit = bus.addUnit(address, 22);
            for (int n = 0; n < 8; ++n) {
                unit.channel(n).cell.capacityAh = 0.05 + 0.01 * n;
                unit.channel(n).cell.stateOfCharge = 0.6;
            }
        }
        startUpStation(station);
        EXPECT_EQ(connect(), ConnectResult::Connected);
        installLiveData(station);
        station.run.autoSave = true;
        makeFolder(home.path() + "/Data");
        for (int d : {0, 1})
            applyProgram(station.program, station.link, d, program(), 1, kApplyAllTarget);
    }
    void TestBody() override {}
    void start()
    {
        for (int s : kSlots)
            startChannel(station, s);
    }
    bool busy() const
    {
        for (int s : kSlots)
            if (station.run.slots[s].busy)
                return true;
        return false;
    }
    void second()
    {
        const std::uint32_t began = clock.milliseconds();
        pollTick(station);
        runTick(station);
        finishSecond(began);
    }
    // The data files by their channel ending ("-1-1.dat"), with their bytes.
    std::map<std::string, std::string> dataFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(home.path() + "/Data")) {
            const std::string name = e.path().filename().string();
            std::ifstream in(e.path(), std::ios::binary);
            files[name.substr(name.find('-'))] = {std::istreambuf_iterator<char>(in), {}};
        }
        return files;
    }
};

// Real time for the sender thread to connect and send everything that waits.
void waitForDrain(const lab::LabStore& store)
{
    for (const auto began = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - began < 20s && !(store.status().connected && store.status().backlog == 0);)
        std::this_thread::sleep_for(100ms);
}

}  // namespace

// Three tests run to their end while the database is down for 25 s in the middle: every sample
// and step result arrives once, equals the data files, and those files are byte for byte the
// files of the same run without a lab link.
TEST(LabStore, EveryTestArrivesOnceThroughAnOutageAndEqualsItsDataFiles)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    LabBench plain;
    plain.start();
    for (int s = 0; s < 20000 && plain.busy(); ++s)
        plain.second();
    ASSERT_FALSE(plain.busy());

    LabBench bench;
    lab::SenderTiming fast;
    fast.batchEvery = 20ms;
    fast.firstRetry = 100ms;
    fast.longestRetry = 1000ms;
    fast.connectTimeout = 2s;
    fast.statementTimeout = 3000ms;
    std::vector<std::string> announced;
    {
        lab::LabStore store(bench.station, {server.uri(), "bench-a"}, fast);
        store.announce = [&](const std::string& line) { announced.push_back(line); };
        bench.station.lab = &store;
        bench.start();
        int seconds = 0;
        for (; seconds < 300; ++seconds)
            bench.second();
        waitForDrain(store);
        bench.second();  // the link's first state reaches the log
        ASSERT_TRUE(server.stop());
        // Half a real second every ten simulated seconds: 25 s without the database mid-test.
        for (const auto down = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - down < 25s;) {
            for (int i = 0; i < 10 && bench.busy(); ++i, ++seconds)
                bench.second();
            std::this_thread::sleep_for(500ms);
        }
        EXPECT_FALSE(store.status().connected);
        EXPECT_GT(store.status().backlog, 0);
        ASSERT_TRUE(server.start());
        for (; seconds < 20000 && bench.busy(); ++seconds)
            bench.second();
        ASSERT_FALSE(bench.busy());
        waitForDrain(store);
        bench.second();  // the status reaches the log
        EXPECT_TRUE(store.status().connected) << store.status().reason;
        EXPECT_EQ(store.status().backlog, 0);
        bench.station.lab = nullptr;
    }
    // Up, down (each reason once), up again: no line per retry.
    ASSERT_GE(announced.size(), 3u);
    EXPECT_EQ(announced.front().rfind("实验室库: 已连接", 0), 0u) << announced.front();
    EXPECT_EQ(announced.back().rfind("实验室库: 已连接", 0), 0u) << announced.back();
    EXPECT_LE(announced.size(), 5u);
    for (const std::string& line : announced)
        EXPECT_EQ(line.find(PgServer::password()), std::string::npos) << line;

    const std::map<std::string, std::string> files = bench.dataFiles();
    EXPECT_EQ(files, plain.dataFiles());
    ASSERT_EQ(files.size(), 6u);  // .dat and .run of three channels

    lab::PgConnection db;
    ASSERT_TRUE(db.connect(server.uri(), 5s)) << db.error();
    EXPECT_EQ(labQuery(db, "SELECT count(*) FROM cellward.test WHERE end_reason = $1", {"完成"}), "3\n");
    for (const int slot : kSlots) {
        const std::string channel = "-" + std::to_string(slot / 8 + 1) + "-" + std::to_string(slot % 8 + 1);
        const std::string id = labTestId(db, "bench-a", slot / 8 + 1, slot % 8 + 1);
        ASSERT_FALSE(id.empty()) << channel;
        EXPECT_GT(expectTestEqualsDataFile(db, id, dataFileOf(bench.home.path() + "/Data", channel + ".dat")), 100u);
        EXPECT_EQ(loadDataFile(dataFileOf(bench.home.path() + "/Data", channel + ".dat")).results.size(), 4u);
    }
}

// The server runs out of space for a few seconds while connected, from the tests' start on:
// nothing is set aside, the status bar says the rows do not go, and every sample arrives once.
TEST(LabStore, ADatabaseOutOfSpaceForAWhileLosesNothing)
{
    PgServer server;
    ASSERT_EQ(server.failure(), "");
    LabBench bench;
    lab::SenderTiming fast;
    fast.batchEvery = 20ms;
    fast.firstRetry = 100ms;
    fast.longestRetry = 500ms;
    lab::PgConnection admin;
    ASSERT_TRUE(admin.connect(server.uri(), 5s)) << admin.error();
    std::vector<std::string> shown;
    {
        lab::LabStore store(bench.station, {server.uri(), "bench-b"}, fast);
        store.showStatus = [&](const std::string& text, const std::string&) { shown.push_back(text); };
        bench.station.lab = &store;
        for (const auto began = std::chrono::steady_clock::now();
             !store.status().connected && std::chrono::steady_clock::now() - began < 20s;)
            std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(store.status().connected) << store.status().reason;
        ASSERT_TRUE(admin
                        .exec("CREATE FUNCTION cellward.disk_full() RETURNS trigger LANGUAGE plpgsql AS"
                              " $$BEGIN RAISE EXCEPTION 'could not extend file' USING ERRCODE = '53100'; END$$")
                        .ok())
            << admin.error();
        for (const char* table : {"test", "sample"})
            ASSERT_TRUE(admin
                            .exec(std::string("CREATE TRIGGER disk_full BEFORE INSERT ON cellward.") + table +
                                  " FOR EACH ROW EXECUTE FUNCTION cellward.disk_full()")
                            .ok())
                << admin.error();
        bench.start();
        int seconds = 0;
        for (const auto full = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - full < 3s;) {
            for (int i = 0; i < 10; ++i, ++seconds)
                bench.second();
            std::this_thread::sleep_for(200ms);
        }
        EXPECT_NE(store.status().sendError, "");
        EXPECT_GT(store.status().backlog, 0);
        ASSERT_TRUE(admin.exec("DROP FUNCTION cellward.disk_full() CASCADE").ok()) << admin.error();
        for (; seconds < 20000 && bench.busy(); ++seconds)
            bench.second();
        ASSERT_FALSE(bench.busy());
        waitForDrain(store);
        bench.second();  // the last status reaches the bar
        EXPECT_EQ(store.status().backlog, 0);
        EXPECT_EQ(store.status().setAside, 0);
        EXPECT_EQ(store.status().sendError, "");
        bench.station.lab = nullptr;
    }
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                            [](const std::string& t) { return t.rfind("实验室库: 发送出错, 积压 ", 0) == 0; }));
    EXPECT_EQ(shown.back(), "实验室库: 已连接");
    for (const auto& e : std::filesystem::directory_iterator(bench.home.path() + "/LabOutbox"))
        EXPECT_NE(e.path().extension(), ".rejected") << e.path();
    for (const int slot : kSlots) {
        const std::string channel = "-" + std::to_string(slot / 8 + 1) + "-" + std::to_string(slot % 8 + 1);
        const std::string id = labTestId(admin, "bench-b", slot / 8 + 1, slot % 8 + 1);
        ASSERT_FALSE(id.empty()) << channel;
        EXPECT_GT(expectTestEqualsDataFile(admin, id, dataFileOf(bench.home.path() + "/Data", channel + ".dat")), 100u);
    }
}
