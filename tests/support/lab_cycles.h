#pragma once

#include <charconv>
#include <string>
#include <vector>

#include "data/cycle_table.h"
#include "lab/pg_connection.h"

// A test with a cell and its cycle rows, written to the lab database as a station writes them.

// n cycles losing capacity as they go; the first discharges first, so it has no efficiency.
inline std::vector<klv::CycleRow> fadingCycles(int n)
{
    std::vector<klv::CycleRow> rows;
    double throughput = 0;
    for (int c = 1; c <= n; ++c) {
        klv::CycleRow r;
        r.cycle = c;
        r.start = (c - 1) * 7300LL;
        r.end = c * 7300LL - 100;
        r.chargeAh = 2.5 - 0.0125 * c;
        r.dischargeAh = 2.4875 - 0.01 * c;
        r.chargeWh = 9.3751;
        r.dischargeWh = 8.86049;
        if (c > 1) {
            r.coulombic = 99.123456;
            r.energyEfficiency = 94.5;
        }
        r.meanChargeV = 3.9005, r.meanDischargeV = 3.6004, r.maxV = 4.2, r.minV = 2.75;
        r.retention = 100.0 * *r.dischargeAh / (2.4875 - 0.01);
        throughput += *r.chargeAh + *r.dischargeAh;
        r.throughputAh = throughput;
        rows.push_back(r);
    }
    return rows;
}

inline klv::lab::PgParam labNumber(std::optional<double> v)
{
    if (!v)
        return std::nullopt;
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, *v).ptr);
}

// The test `id` of `station` (which must exist) on channel 1-`channel` with its cycles.
inline bool insertCycleTest(klv::lab::PgConnection& db, const std::string& id, const std::string& station, int channel,
                            const std::string& cell, double nominalAh, const std::vector<klv::CycleRow>& rows)
{
    if (!db.exec("INSERT INTO cellward.test (id, station, device, channel, model, program, started_at, cell_id, "
                 "nominal_capacity_ah) VALUES ($1, $2, 1, $3, 'TAL-M3', 'cycles', now(), $4, $5)",
                 {id, station, std::to_string(channel), cell, labNumber(nominalAh)})
             .ok())
        return false;
    std::vector<klv::lab::PgParams> values;
    for (const klv::CycleRow& r : rows) {
        const auto whole = [](const std::optional<long long>& s) {
            return labNumber(s ? std::optional<double>(static_cast<double>(*s)) : std::nullopt);
        };
        values.push_back({id, std::to_string(r.cycle), whole(r.start), whole(r.end), labNumber(r.chargeAh),
                          labNumber(r.dischargeAh), labNumber(r.chargeWh), labNumber(r.dischargeWh),
                          labNumber(r.coulombic), labNumber(r.energyEfficiency), labNumber(r.meanChargeV),
                          labNumber(r.meanDischargeV), labNumber(r.maxV), labNumber(r.minV), labNumber(r.retention),
                          labNumber(r.throughputAh)});
    }
    return db
        .insertRows("cellward.cycle",
                    {"test_id", "cycle_count", "start_time_second", "end_time_second", "charging_capacity_ah",
                     "discharging_capacity_ah", "charging_energy_wh", "discharging_energy_wh",
                     "coulombic_efficiency_pct", "energy_efficiency_pct", "mean_charging_voltage_volt",
                     "mean_discharging_voltage_volt", "maximum_voltage_volt", "minimum_voltage_volt",
                     "discharge_capacity_retention_pct", "cumulative_throughput_ah"},
                    values, "")
        .ok();
}
