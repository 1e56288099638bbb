#include "data/cycle_table.h"

#include <algorithm>
#include <map>

#include "common/format.h"
#include "common/number_text.h"
#include "data/data_loader.h"
#include "data/file_csv.h"
#include "data/step_spans.h"
#include "data/test_cell.h"
#include "program/step_program.h"

namespace klv {

namespace {

// The charge (or discharge) rows of one cycle, summed.
struct RoleSums {
    bool present = false;
    double ah = 0, wh = 0;
    long long records = 0;
    double voltageSum = 0;
};

struct CycleSums {
    bool dischargeFirst = false;  // its first charge or discharge row discharges
    RoleSums charge, discharge;
    StepTotals all;  // the records of every row of the cycle
};

void addRecordsOf(StepTotals& into, const StepTotals& step)
{
    if (step.records == 0)
        return;
    if (into.records == 0) {
        into.firstSeconds = step.firstSeconds;
        into.maxVoltage = step.maxVoltage;
        into.minVoltage = step.minVoltage;
    }
    into.maxVoltage = std::max(into.maxVoltage, step.maxVoltage);
    into.minVoltage = std::min(into.minVoltage, step.minVoltage);
    into.lastSeconds = std::max(into.lastSeconds, step.lastSeconds);
    into.records += step.records;
    into.voltageSum += step.voltageSum;
}

std::optional<double> percent(double part, double whole)
{
    return whole == 0 ? std::nullopt : std::optional<double>(part / whole * 100);
}

std::optional<double> mean(const RoleSums& sums)
{
    return sums.records == 0 ? std::nullopt : std::optional<double>(sums.voltageSum / double(sums.records));
}

void appendField(std::string& out, const std::optional<double>& v, const char* pattern)
{
    out += ',';
    if (v)
        out += formatNumber(*v, pattern);
}

void appendField(std::string& out, const std::optional<long long>& v)
{
    out += ',';
    if (v)
        out += std::to_string(*v);
}

}  // namespace

void StepTotals::add(const LoadedRecord& record)
{
    if (records == 0) {
        firstSeconds = record.seconds;
        maxVoltage = minVoltage = record.voltage;
    }
    maxVoltage = std::max(maxVoltage, record.voltage);
    minVoltage = std::min(minVoltage, record.voltage);
    lastSeconds = record.seconds;
    voltageSum += record.voltage;
    ++records;
}

StepRole stepRole(const StepSpan& span, const std::vector<std::string>& row)
{
    return span.discharge                         ? StepRole::Discharge
           : row[2] == stepModeLabel(kStepCharge) ? StepRole::Charge
                                                  : StepRole::Other;
}

std::vector<StepTotals> stepTotals(const LoadedData& data)
{
    const std::vector<StepSpan> spans = stepSpans(data.results);
    std::vector<StepTotals> steps(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        const std::vector<std::string>& row = data.results[i];
        steps[i].cycle = spans[i].cycle;
        steps[i].role = stepRole(spans[i], row);
        steps[i].capacity = parseCellNumber(row[3]).value_or(0);
        steps[i].energy = parseCellNumber(row[4]).value_or(0);
    }
    for (const LoadedRecord& r : data.records) {
        const size_t i = spanIndexOf(spans, r.seconds);
        if (i < steps.size())
            steps[i].add(r);
    }
    return steps;
}

std::vector<CycleRow> cycleRows(const std::vector<StepTotals>& steps)
{
    std::map<int, CycleSums> cycles;
    for (const StepTotals& s : steps) {
        CycleSums& c = cycles[s.cycle];
        addRecordsOf(c.all, s);
        if (s.role == StepRole::Other)
            continue;
        if (s.role == StepRole::Discharge && !c.charge.present && !c.discharge.present)
            c.dischargeFirst = true;
        RoleSums& sums = s.role == StepRole::Charge ? c.charge : c.discharge;
        sums.present = true;
        sums.ah += s.capacity;
        sums.wh += s.energy;
        sums.records += s.records;
        sums.voltageSum += s.voltageSum;
    }
    std::vector<CycleRow> rows;
    const RoleSums* previousCharge = nullptr;
    std::optional<double> firstDischarge;
    double throughput = 0;
    for (const auto& [number, c] : cycles) {
        CycleRow row;
        row.cycle = number;
        if (c.all.records > 0) {
            row.start = c.all.firstSeconds;
            row.end = c.all.lastSeconds;
            row.maxV = c.all.maxVoltage;
            row.minV = c.all.minVoltage;
        }
        if (c.charge.present) {
            row.chargeAh = c.charge.ah;
            row.chargeWh = c.charge.wh;
            row.meanChargeV = mean(c.charge);
        }
        // A cycle that discharges first gives back what the previous cycle charged.
        const RoleSums* before = c.dischargeFirst ? previousCharge : &c.charge;
        if (c.discharge.present) {
            row.dischargeAh = c.discharge.ah;
            row.dischargeWh = c.discharge.wh;
            row.meanDischargeV = mean(c.discharge);
            if (before && before->present) {
                row.coulombic = percent(c.discharge.ah, before->ah);
                row.energyEfficiency = percent(c.discharge.wh, before->wh);
            }
            if (!firstDischarge)
                firstDischarge = c.discharge.ah;
            row.retention = percent(c.discharge.ah, *firstDischarge);
        }
        throughput += c.charge.ah + c.discharge.ah;
        row.throughputAh = throughput;
        previousCharge = &c.charge;
        rows.push_back(row);
    }
    return rows;
}

std::string cycleCsv(const std::vector<CycleRow>& rows, std::optional<double> nominalAh)
{
    std::string out = kCycleHeader;
    if (nominalAh)
        out += std::string(",") + kEquivalentFullCyclesHeader;
    out += '\n';
    for (const CycleRow& r : rows) {
        out += std::to_string(r.cycle);
        appendField(out, r.start);
        appendField(out, r.end);
        for (const auto* v : {&r.chargeAh, &r.dischargeAh, &r.chargeWh, &r.dischargeWh})
            appendField(out, *v, "0.000");
        appendField(out, r.coulombic, "0.00");
        appendField(out, r.energyEfficiency, "0.00");
        for (const auto* v : {&r.meanChargeV, &r.meanDischargeV, &r.maxV, &r.minV})
            appendField(out, *v, "0.000");
        appendField(out, r.retention, "0.00");
        appendField(out, std::optional<double>(r.throughputAh), "0.000");
        if (nominalAh)
            appendField(out, std::optional<double>(equivalentFullCycles(r, *nominalAh)), "0.000");
        out += '\n';
    }
    return out;
}

bool exportCycles(const std::string& datPath, const std::string& csvPath, std::string& error)
{
    const std::optional<double> nominalAh = recordedCell(baseOfDataFile(datPath)).nominalAh;
    return writeCsvOfFile(
        datPath, csvPath,
        [nominalAh](const LoadedData& data) { return cycleCsv(cycleRows(stepTotals(data)), nominalAh); }, error);
}

}  // namespace klv
