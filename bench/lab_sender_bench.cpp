// The lab sender's throughput into a local PostgreSQL against psql's COPY of the same rows,
// both on one private server in the same run: samples per second, and their ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "lab/lab_sender.h"
#include "lab/outbox.h"
#include "lab/outbox_row.h"
#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "support/pg_server.h"
#include "support/temp_folder.h"

namespace {

constexpr int kRows = 100000;
const char* const kTestId = "0b5c0f3e-1a2b-4c3d-8e4f-001122334455";

// One server for both benchmarks, with the schema, a station and the test the samples belong to.
PgServer& server()
{
    static PgServer s;
    static const bool ready = [] {
        klv::lab::PgConnection db;
        if (!s.failure().empty() || !db.connect(s.uri(), std::chrono::seconds(5)))
            return false;
        return klv::lab::migrate(db).ok &&
               db.exec("INSERT INTO cellward.station VALUES ('bench', 'host', '1.0.0', now())").ok() &&
               db.exec(
                     "INSERT INTO cellward.test (id, station, device, channel, model, program, started_at)"
                     " VALUES ($1, 'bench', 1, 1, 'TAL-M3', '', now())",
                     {kTestId})
                   .ok();
    }();
    if (!ready)
        std::fprintf(stderr, "no test server: %s\n", s.failure().c_str());
    return s;
}

klv::lab::OutboxRow sample(int seq)
{
    return {klv::lab::RowKind::Sample,
            {kTestId, std::to_string(seq), std::to_string(seq * 2), std::to_string(1710000000 + seq * 2), "3.702",
             "-1.000", "1", "1", "1", "0.512", "1.893"}};
}

void emptySamples()
{
    klv::lab::PgConnection db;
    db.connect(server().uri(), std::chrono::seconds(5));
    db.exec("TRUNCATE cellward.sample");
}

using Seconds = std::chrono::duration<double>;

// The outbox of a station that was away while kRows samples were recorded, drained by the sender.
Seconds drainBySender()
{
    emptySamples();
    TempFolder home;
    {
        klv::lab::Outbox outbox(home.path() + "/LabOutbox");
        std::vector<std::string> lines;
        for (int i = 0; i < kRows; ++i)
            lines.push_back(klv::lab::encodeRow(sample(i)));
        outbox.append(lines);
    }
    const auto started = std::chrono::steady_clock::now();
    klv::lab::SenderTiming timing;
    timing.batchEvery = std::chrono::milliseconds(5);
    klv::lab::LabSender sender(server().uri(), home.path() + "/LabOutbox", {"bench", "host", "1.0.0"}, timing);
    while (sender.status().backlog > 0 || !sender.status().connected)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return std::chrono::steady_clock::now() - started;
}

// psql's \copy of the same rows from a CSV file: the fastest a client can load them.
Seconds copyByPsql(const std::string& csv)
{
    emptySamples();
    const std::string command =
        "psql -q '" + server().uri() + "' -c \"\\copy cellward.sample FROM '" + csv + "' WITH (FORMAT csv)\"";
    const auto started = std::chrono::steady_clock::now();
    const bool ok = std::system(command.c_str()) == 0;
    const Seconds took = std::chrono::steady_clock::now() - started;
    return ok ? took : Seconds(0);
}

// The sender's drain against psql's COPY of the same rows on the same server, in turn; ratio is
// the sender's rate over COPY's (goal: at least 0.7).
void LabSender_DrainVsCopy(benchmark::State& state)
{
    TempFolder folder;
    const std::string csv = folder.path() + "/samples.csv";
    {
        std::ofstream out(csv);
        for (int i = 0; i < kRows; ++i) {
            const auto row = sample(i);
            for (std::size_t f = 0; f < row.fields.size(); ++f)
                out << *row.fields[f] << (f + 1 < row.fields.size() ? "," : "\n");
        }
    }
    Seconds sender{0}, copy{0};
    for (auto _ : state) {
        sender += drainBySender();
        const Seconds took = copyByPsql(csv);
        if (took.count() == 0)
            state.SkipWithError("psql failed");
        copy += took;
    }
    const double rows = double(kRows) * double(state.iterations());
    state.counters["sender_samples/s"] = rows / sender.count();
    state.counters["copy_samples/s"] = rows / copy.count();
    state.counters["ratio"] = copy.count() / sender.count();
}
BENCHMARK(LabSender_DrainVsCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
