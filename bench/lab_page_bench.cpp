// The lab page in Chromium over a full lab: 100 stations × 48 channels and a test of a million
// samples, written into a private PostgreSQL by this benchmark. Counters: milliseconds until
// the overview shows every tile, until one station's change shows there, until the test page
// has drawn its chart. And the compare view of 100 tests of 1 000 cycles each: milliseconds from
// opening it until its chart is drawn (render_ms, goal under 1 000).
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <functional>

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

// Runs bench/lab_web/SCRIPT in node; its "name_ms N" lines become counters, and its "ready"
// line calls onReady.
void runBrowser(benchmark::State& state, const char* script, const QStringList& args,
                const std::function<void()>& onReady)
{
    QProcess node;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KLV_NODE_MODULES", KLV_NODE_MODULES);
    node.setProcessEnvironment(env);
    node.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    node.start("node",
               QStringList{QStringLiteral(KLV_SOURCE_DIR "/bench/lab_web/") + QString::fromUtf8(script)} + args);
    while (node.waitForReadyRead(90000)) {
        while (node.canReadLine()) {
            const QString line = QString::fromUtf8(node.readLine()).trimmed();
            if (line == "ready")
                onReady();
            const QStringList parts = line.split(' ');
            if (parts.size() == 2 && parts[0].endsWith("_ms"))
                state.counters[parts[0].toStdString()] = parts[1].toDouble();
        }
    }
    node.waitForFinished();
    if (node.exitCode() != 0)
        state.SkipWithError("the browser run failed");
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
        runBrowser(
            state, "lab_page_bench.mjs",
            {QString::fromStdString(lab.url()), QString::number(kStations * 48), kTestId, "bench-042", "1-1", "9.876"},
            [&] {
                db.exec(
                    "UPDATE cellward.channel_state SET voltage_volt = 9.876, updated_at = now() "
                    "WHERE station = 'bench-042' AND device = 1 AND channel = 1",
                    {});
            });
    }
}
BENCHMARK(BM_LabPageInChromium)->Iterations(1)->Unit(benchmark::kMillisecond);

constexpr int kComparedTests = 100, kCyclesEach = 1000;

// 100 tests of 1 000 cycles, their capacity fading a little each cycle.
bool fillCycles(klv::lab::PgConnection& db)
{
    return db.exec("INSERT INTO cellward.station VALUES ('bench-001', 'pc-1', '1.0.0', now())").ok() &&
           db.exec(
                 "INSERT INTO cellward.test (id, station, device, channel, model, program, started_at, cell_id, "
                 "nominal_capacity_ah) SELECT ('0c0e0c0a-0000-4000-8000-' || lpad(g::text, 12, '0'))::uuid, "
                 "'bench-001', 1 + g / 8 % 6, 1 + g % 8, 'TAL-M3', 'cycles', now(), 'CELL-' || g, 2.5 "
                 "FROM generate_series(1, $1::int) g",
                 {std::to_string(kComparedTests)})
               .ok() &&
           db.exec(
                 "INSERT INTO cellward.cycle (test_id, cycle_count, start_time_second, end_time_second, "
                 "charging_capacity_ah, discharging_capacity_ah, coulombic_efficiency_pct, "
                 "discharge_capacity_retention_pct, cumulative_throughput_ah) "
                 "SELECT ('0c0e0c0a-0000-4000-8000-' || lpad(g::text, 12, '0'))::uuid, c, c * 7200.0, "
                 "c * 7200.0 + 7000, 2.5, 2.5 * (1 - c * (0.0001 + g * 0.000002)), "
                 "99.5, 100 * (1 - c * (0.0001 + g * 0.000002)), c * 5.0 "
                 "FROM generate_series(1, $1::int) g, generate_series(1, $2::int) c",
                 {std::to_string(kComparedTests), std::to_string(kCyclesEach)})
               .ok();
}

void BM_LabCompareInChromium(benchmark::State& state)
{
    PgServer pg;
    if (!pg.failure().empty()) {
        state.SkipWithError(pg.failure().c_str());
        return;
    }
    klv::lab::PgConnection db;
    if (!db.connect(pg.adminUri(), std::chrono::seconds(5)) || !klv::lab::migrate(db).ok || !fillCycles(db)) {
        state.SkipWithError("the lab's rows cannot be written");
        return;
    }
    LabProcess lab({"--db", QString::fromStdString(pg.uri())});
    QStringList ids;
    for (int g = 1; g <= kComparedTests; ++g)
        ids << QString("0c0e0c0a-0000-4000-8000-%1").arg(g, 12, 10, QChar('0'));
    for (auto _ : state)
        runBrowser(state, "lab_compare_bench.mjs",
                   {QString::fromStdString(lab.url()), ids.join(','), QString::number(kComparedTests)}, [] {});
}
BENCHMARK(BM_LabCompareInChromium)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
