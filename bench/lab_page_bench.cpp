// The lab page in Chromium over a full lab: 100 stations × 48 channels and a test of a million
// samples, written into a private PostgreSQL by this benchmark. Counters: milliseconds until
// the overview shows every tile, until one station's change shows there, until the test page
// has drawn its chart.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "support/lab_process.h"
#include "support/pg_server.h"

namespace {

constexpr int kStations = 100, kSamples = 1000000;
const char* const kTestId = "0b0e0c0a-0000-4000-8000-000000000001";

// The lab's rows, in order; false at the first statement that fails.
bool fillLab(klv::lab::PgConnection& db)
{
    return db.exec(
                 "INSERT INTO cellward.station (name, host, version, last_seen) "
                 "SELECT 'bench-' || lpad(g::text, 3, '0'), 'pc-' || g, '1.0.0', now() + interval '1 hour' "
                 "FROM generate_series(1, $1::int) g",
                 {std::to_string(kStations)})
               .ok() &&
           db.exec(
                 "INSERT INTO cellward.channel_state (station, device, channel, state, status, voltage_volt, "
                 "current_ampere, capacity_ah, energy_wh, step, loop_pass, running, test_id, updated_at) "
                 "SELECT s.name, d, c, 'running', d || '-' || c || '  放电', 3.6 + (d * 8 + c) / 1000.0, -1.0, "
                 "0.5, 1.8, 1, 1, true, NULL, now() "
                 "FROM cellward.station s, generate_series(1, 6) d, generate_series(1, 8) c")
               .ok() &&
           db.exec(
                 "INSERT INTO cellward.test (id, station, device, channel, model, program, started_at) "
                 "VALUES ($1::uuid, 'bench-001', 1, 1, 'TAL-M3', '恒流放 01.00 03.00 00.00 0', now())",
                 {kTestId})
               .ok() &&
           db.exec(
                 "INSERT INTO cellward.sample (test_id, seq, test_time_second, unix_time_second, voltage_volt, "
                 "current_ampere, cycle_count, step_count, step_index) "
                 "SELECT $1::uuid, g, g * 2.0, 1.7e9 + g * 2.0, 3.0 + 1.2 * abs(sin(g / 5000.0)), "
                 "CASE WHEN (g / 5000) % 2 = 0 THEN -1.0 ELSE 1.0 END, g / 10000, g / 5000, (g / 5000) % 3 "
                 "FROM generate_series(0, $2::int - 1) g",
                 {kTestId, std::to_string(kSamples)})
               .ok();
}

void BM_LabPageInChromium(benchmark::State& state)
{
    PgServer pg;
    if (!pg.failure().empty()) {
        state.SkipWithError(pg.failure().c_str());
        return;
    }
    klv::lab::PgConnection db;
    db.setStatementTimeout(std::chrono::minutes(5));  // a million samples in one statement
    if (!db.connect(pg.adminUri(), std::chrono::seconds(5)) || !klv::lab::migrate(db).ok || !fillLab(db)) {
        state.SkipWithError("the lab's rows cannot be written");
        return;
    }
    LabProcess lab({"--db", QString::fromStdString(pg.uri())});
    for (auto _ : state) {
        QProcess node;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KLV_NODE_MODULES", KLV_NODE_MODULES);
        node.setProcessEnvironment(env);
        node.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        node.start("node", {KLV_SOURCE_DIR "/bench/lab_web/lab_page_bench.mjs", QString::fromStdString(lab.url()),
                            QString::number(kStations * 48), kTestId, "bench-042", "1-1", "9.876"});
        while (node.waitForReadyRead(90000)) {
            while (node.canReadLine()) {
                const QString line = QString::fromUtf8(node.readLine()).trimmed();
                if (line == "ready")
                    db.exec(
                        "UPDATE cellward.channel_state SET voltage_volt = 9.876, updated_at = now() "
                        "WHERE station = 'bench-042' AND device = 1 AND channel = 1",
                        {});
                const QStringList parts = line.split(' ');
                if (parts.size() == 2 && parts[0].endsWith("_ms"))
                    state.counters[parts[0].toStdString()] = parts[1].toDouble();
            }
        }
        node.waitForFinished();
        if (node.exitCode() != 0)
            state.SkipWithError("the browser run failed");
    }
}
BENCHMARK(BM_LabPageInChromium)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
