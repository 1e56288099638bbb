#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/cycle_table.h"
#include "lab/lab_rows.h"
#include "lab/pg_pool.h"

namespace klv::lab {

// Which tests the list shows: every field empty or zero means "any".
struct TestFilter {
    std::string station;
    int device = 0, channel = 0;
    std::string from, to;  // dates, "2024-03-12", inclusive
    std::string program;   // text the program contains, case ignored
    std::string cell;      // text the cell ID contains, case ignored
    int page = 0;
};

struct TestPage {
    std::vector<TestRow> tests;  // newest first
    bool more = false;           // a further page exists
};

// A test's curves thinned as the station's curve graph thins them for a plot `width` pixels
// wide: the first sample, every step-th from the second on, and always the last.
struct CurveSamples {
    long long total = 0, step = 1;
    std::vector<double> time, voltage, current;
};

// Discharge capacity and retention per cycle of one test, for drawing several tests together:
// JSON arrays of numbers (null where empty), in cycle order, as the database makes them, so a
// hundred tests of a thousand cycles are a hundred rows to pass on, not a hundred thousand.
struct CycleSeries {
    TestRow test;
    std::string cycle = "[]", dischargeAh = "[]", retention = "[]";
};

// One sample in the Battery Data Format's columns.
struct SampleRow {
    int seq = 0;
    double testTime = 0;
    std::optional<double> unixTime;
    double voltage = 0, current = 0;
    int cycleCount = 0, stepCount = 0, stepIndex = 0;
};

// The lab page's reads of the lab database. Every query has its values as parameters. Any
// thread may call; each call borrows a connection from the pool for its own length.
// Failures throw PgReadError.
class LabReader {
public:
    static constexpr int kPageSize = 50;
    static constexpr int kSampleChunk = 20000;

    explicit LabReader(PgPool& pool) : pool_(pool) {}

    std::vector<StationRow> stations();
    std::vector<ChannelRow> channels();
    std::optional<TestRow> test(const std::string& id);
    std::vector<StepResultRow> stepResults(const std::string& id);
    CurveSamples curve(const std::string& id, int width);
    TestPage tests(const TestFilter& filter);
    // The cycle table as the station made it, in cycle order.
    std::vector<CycleRow> cycles(const std::string& id);
    // The tests of `ids` that exist, in the order asked, each with its cycles.
    std::vector<CycleSeries> cycleSeries(const std::vector<std::string>& ids);
    // Every sample of the test in order, handed over kSampleChunk at a time; the callback
    // returns false to stop (the reader has gone).
    void samples(const std::string& id, const std::function<bool(const std::vector<SampleRow>&)>& chunk);

private:
    PgPool& pool_;
};

}  // namespace klv::lab
