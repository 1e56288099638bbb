#pragma once

#include <optional>
#include <string>
#include <vector>

namespace klv {

struct LoadedData;
struct LoadedRecord;
struct StepSpan;

// The column header of a cycle table CSV.
inline constexpr const char* kCycleHeader =
    "Cycle Count / 1,Start Time / s,End Time / s,Charging Capacity / Ah,Discharging Capacity / Ah,"
    "Charging Energy / Wh,Discharging Energy / Wh,Coulombic Efficiency / %,Energy Efficiency / %,"
    "Mean Charging Voltage / V,Mean Discharging Voltage / V,Maximum Voltage / V,Minimum Voltage / V,"
    "Discharge Capacity Retention / %,Cumulative Throughput / Ah";
// The column after the last when the cell's nominal capacity is known.
inline constexpr const char* kEquivalentFullCyclesHeader = "Equivalent Full Cycles / 1";

enum class StepRole { Charge, Discharge, Other };

// One result row with the records that fall in it: what a cycle's values are made of. A saved
// file and the live step results of a running channel both reduce to these.
struct StepTotals {
    int cycle = 1;
    StepRole role = StepRole::Other;
    double capacity = 0, energy = 0;  // Ah and Wh as the row recorded them
    long long records = 0;
    long long firstSeconds = 0, lastSeconds = 0;
    double voltageSum = 0;
    float maxVoltage = 0, minVoltage = 0;

    void add(const LoadedRecord& record);
};

// One row of the table; a value that does not exist for the cycle is empty.
struct CycleRow {
    int cycle = 1;
    std::optional<long long> start, end;
    std::optional<double> chargeAh, dischargeAh, chargeWh, dischargeWh;
    std::optional<double> coulombic, energyEfficiency;  // %
    std::optional<double> meanChargeV, meanDischargeV, maxV, minV;
    std::optional<double> retention;  // %
    double throughputAh = 0;
    bool operator==(const CycleRow&) const = default;
};

// Full charge-and-discharge cycles of the nominal capacity the throughput so far amounts to.
inline double equivalentFullCycles(const CycleRow& row, double nominalAh) { return row.throughputAh / (2 * nominalAh); }

// What a result row with its span does: its charge is mode "恒压充", its discharge the span's.
StepRole stepRole(const StepSpan& span, const std::vector<std::string>& row);
// The result rows of a loaded file, each with its records as the step spans place them;
// records after the last row's end belong to no row.
std::vector<StepTotals> stepTotals(const LoadedData& data);
// One row per recorded loop pass, in ascending order.
std::vector<CycleRow> cycleRows(const std::vector<StepTotals>& steps);
// The header line and one line per row, LF-terminated; with the cell's nominal capacity each
// line ends in its equivalent full cycles.
std::string cycleCsv(const std::vector<CycleRow>& rows, std::optional<double> nominalAh = std::nullopt);
// Load FILE.dat (and its .run) and write its cycle table, with the equivalent full cycles when
// the file's cell (FILE.cell) has a nominal capacity; false with the reason when it cannot.
bool exportCycles(const std::string& datPath, const std::string& csvPath, std::string& error);

}  // namespace klv
