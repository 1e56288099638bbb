#include "support/lab_compare.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "data/bdf_export.h"
#include "data/cycle_table.h"
#include "data/data_loader.h"
#include "lab/cycle_csv.h"
#include "lab/pg_pool.h"
#include "platform/text_file.h"
#include "program/step_program.h"

using namespace klv;

namespace {

// The BDF rows as numbers, so that "3.7" and "3.700" compare equal.
std::vector<std::vector<double>> numbers(const std::string& csv, bool skipHeader)
{
    std::vector<std::vector<double>> rows;
    std::istringstream lines(csv);
    std::string line;
    if (skipHeader)
        std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');)
            row.push_back(std::stod(f));
        rows.push_back(row);
    }
    return rows;
}

// Every row of the result as comma-separated text, one row a line.
std::string rowsText(const lab::PgResult& result, int columns)
{
    std::string text;
    for (int r = 0; r < result.rows(); ++r)
        for (int c = 0; c < columns; ++c)
            text += result.value(r, c) + (c < columns - 1 ? "," : "\n");
    return text;
}

}  // namespace

std::string labQuery(lab::PgConnection& db, const std::string& sql, const lab::PgParams& params)
{
    const lab::PgResult r = db.exec(sql, params);
    EXPECT_TRUE(r.ok()) << r.error();
    return rowsText(r, 1);
}

std::string labTestId(lab::PgConnection& db, const std::string& station, int device, int channel)
{
    const std::string id =
        labQuery(db, "SELECT id FROM cellward.test WHERE station = $1 AND device = $2 AND channel = $3",
                 {station, std::to_string(device), std::to_string(channel)});
    return id.size() == 37 ? id.substr(0, 36) : std::string();
}

std::string dataFileOf(const std::string& dataFolder, const std::string& ending)
{
    std::error_code missing;
    for (const auto& e : std::filesystem::directory_iterator(dataFolder, missing))
        if (e.path().string().ends_with(ending))
            return e.path().string();
    return {};
}

size_t expectTestEqualsDataFile(lab::PgConnection& db, const std::string& testId, const std::string& datPath)
{
    const LoadedData loaded = loadDataFile(datPath);
    EXPECT_TRUE(loaded.complete) << datPath;
    if (!loaded.complete)
        return 0;
    const lab::PgParams test = {testId};
    const std::string samples =
        rowsText(db.exec("SELECT test_time_second, voltage_volt, current_ampere, cycle_count, step_count, step_index"
                         " FROM cellward.sample WHERE test_id = $1 ORDER BY seq",
                         test),
                 6);
    EXPECT_EQ(numbers(samples, false), numbers(bdfText(loaded), true)) << datPath;
    // Charge and discharge are both in the test, and discharge reads negative.
    EXPECT_NE(samples.find(",-"), std::string::npos) << datPath;

    std::string results;
    for (const auto& row : loaded.results)
        results += row[0] + "," + row[1] + "," + row[2] + "," + std::to_string(*stepTimeSeconds(row[5])) + "\n";
    EXPECT_EQ(rowsText(db.exec("SELECT cycle, step, mode, seconds FROM cellward.step_result WHERE test_id = $1"
                               " ORDER BY cycle, step",
                               test),
                       4),
              results)
        << datPath;

    const std::string exported = datPath + ".cycles.csv";
    std::string error;
    EXPECT_TRUE(exportCycles(datPath, exported, error)) << error;
    // The lab page's download, read as klv-lab reads it.
    lab::PgPool pool(db.uri());
    lab::LabReader reader(pool);
    const auto download = cycleDownload(reader, testId);
    EXPECT_EQ(download ? download->csv : "", readFileBytes(exported).value_or("")) << datPath;
    removeFile(exported);
    return loaded.records.size();
}
