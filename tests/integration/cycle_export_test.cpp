#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "data/data_loader.h"
#include "data/data_station.h"
#include "platform/text_file.h"
#include "support/serial_station.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

using Column = std::optional<double>;
// The fifteen columns of each cycle, worked out from the records and result rows by a plain walk.
std::vector<std::vector<Column>> expectedTable(const LoadedData& d)
{
    struct Sums {
        Column start, end, qc, qd, ec, ed, vMax, vMin;
        double vc = 0, vd = 0;
        int nc = 0, nd = 0;
        bool dischargeFirst = false;
    };
    std::map<int, Sums> cycles;
    size_t record = 0;
    long long end = 0;
    for (const auto& row : d.results) {
        Sums& c = cycles[std::stoi(row[0])];
        end += *stepTimeSeconds(row[5]);
        const bool charge = row[2] == "恒压充", discharge = row[2] == "恒流放";
        if (discharge && !c.qc && !c.qd)
            c.dischargeFirst = true;
        Column& ah = charge ? c.qc : c.qd;
        Column& wh = charge ? c.ec : c.ed;
        if (charge || discharge) {
            ah = ah.value_or(0) + std::stod(row[3]);
            wh = wh.value_or(0) + std::stod(row[4]);
        }
        for (; record < d.records.size() && d.records[record].seconds <= end; ++record) {
            const double v = d.records[record].voltage;
            c.start = c.start.value_or(d.records[record].seconds);
            c.end = d.records[record].seconds;
            c.vMax = std::max(c.vMax.value_or(v), v);
            c.vMin = std::min(c.vMin.value_or(v), v);
            (charge ? c.vc : c.vd) += charge || discharge ? v : 0;
            (charge ? c.nc : c.nd) += charge || discharge ? 1 : 0;
        }
    }
    auto ratio = [](Column a, Column b) { return a && b && *b != 0 ? Column(*a / *b * 100) : std::nullopt; };
    std::vector<std::vector<Column>> table;
    Column qcBefore, ecBefore, qd1;
    double throughput = 0;
    for (const auto& [n, c] : cycles) {
        const Column qc = c.dischargeFirst ? qcBefore : c.qc, ec = c.dischargeFirst ? ecBefore : c.ec;
        qd1 = qd1 ? qd1 : c.qd;
        throughput += c.qc.value_or(0) + c.qd.value_or(0);
        table.push_back({double(n), c.start, c.end, c.qc, c.qd, c.ec, c.ed, ratio(c.qd, qc), ratio(c.ed, ec),
                         c.nc ? Column(c.vc / c.nc) : std::nullopt, c.nd ? Column(c.vd / c.nd) : std::nullopt, c.vMax,
                         c.vMin, ratio(c.qd, qd1), throughput});
        qcBefore = c.qc;
        ecBefore = c.ec;
    }
    return table;
}

const char* const kDecimals = "000333322333323";  // per column: 0 whole, else that many decimals

}  // namespace

TEST(CycleExportTest, TablesOfWholeAndStoppedTestsMatchTheirRecords)
{
    SerialBench bench({"--speed", "60"});
    ASSERT_TRUE(bench.sim.started());
    const TempFolder& home = bench.home;
    const std::array<const char*, 5> discharge{"恒流放", "01.00", "03.70", "00.00", "0"},
        rest{"搁置", "00.00", "00.00", "00.00", "0.05"}, charge{"恒压充", "01.00", "03.85", "00.90", "0"},
        loop{"循环", "00.00", "00.00", "00.00", "3"};
    const struct {
        std::vector<std::array<const char*, 5>> rows;
        int stopAfterMs;  // -1: to its end
    } tests[] = {{{discharge, rest, charge, loop}, -1},
                 {{charge, discharge, loop}, -1},
                 {{discharge, rest, charge, loop}, 7000}};
    QStringList args{"--export-cycles"};
    for (size_t t = 0; t < std::size(tests); ++t) {
        const std::string program = writeProgramFile(home.path() + "/p.stp", tests[t].rows);
        StationRun run = runHeadlessStation(
            {"--home", q(home.path()), "--port", "1", "--program", q(program), "--channels", "1-1", "--autosave"},
            tests[t].stopAfterMs);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const std::string renamed = home.path() + "/t" + std::to_string(t);
        for (const auto& e : std::filesystem::directory_iterator(home.path() + "/Data"))
            std::filesystem::rename(e.path(), renamed + e.path().extension().string());
        args << q(renamed + ".dat");
    }
    args << q(home.path() + "/missing.dat") << "--out" << q(home.path() + "/Data");
    StationRun exported = runStation(args);
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_TRUE(exported.err.contains(q(home.path() + "/missing.dat"))) << exported.err.toStdString();

    for (size_t t = 0; t < std::size(tests); ++t) {
        SCOPED_TRACE("test " + std::to_string(t));
        const LoadedData data = loadDataFile(home.path() + "/t" + std::to_string(t) + ".dat");
        const auto expected = expectedTable(data);
        const auto lines = readLines(home.path() + "/Data/t" + std::to_string(t) + ".cycles.csv").value();
        ASSERT_EQ(lines.size(), expected.size() + 1);
        // Discharge first: no efficiency in cycle 1, the charge before it is not in the file.
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(expected.size(), t < 2 ? 3u : expected.size());
        if (t == 0) {
            EXPECT_FALSE(expected[0][7]);
        }
        EXPECT_EQ(lines[0],
                  "Cycle Count / 1,Start Time / s,End Time / s,Charging Capacity / Ah,Discharging Capacity / "
                  "Ah,Charging Energy / Wh,Discharging Energy / Wh,Coulombic Efficiency / %,Energy Efficiency / %,Mean "
                  "Charging Voltage / V,Mean Discharging Voltage / V,Maximum Voltage / V,Minimum Voltage / V,Discharge "
                  "Capacity Retention / %,Cumulative Throughput / Ah");
        for (size_t r = 0; r < expected.size(); ++r) {
            const QStringList fields = q(lines[r + 1]).split(',');
            ASSERT_EQ(fields.size(), 15) << lines[r + 1];
            for (int c = 0; c < 15; ++c) {
                const Column& want = expected[r][size_t(c)];
                const QString& got = fields[c];
                ASSERT_EQ(got.isEmpty(), !want) << "row " << r << " column " << c << ": " << lines[r + 1];
                if (!want)
                    continue;
                const int decimals = kDecimals[c] - '0';
                EXPECT_EQ(got.indexOf('.') < 0 ? 0 : got.size() - got.indexOf('.') - 1, decimals) << got.toStdString();
                EXPECT_NEAR(got.toDouble(), *want, 0.5 * std::pow(10, -decimals) + 1e-9)
                    << "row " << r << " column " << c;
            }
        }
    }
}
