#include "lab/lab_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "view/curve_scale.h"

namespace klv::lab {

namespace {

// Times leave the database as Unix seconds; the page shows them in the reader's zone.
const char* const kTestColumns =
    "id::text, station, device, channel, model, program, extract(epoch FROM started_at), "
    "extract(epoch FROM ended_at), end_reason, cell_id, nominal_capacity_ah";

// One row of a result, read by column.
struct Row {
    const PgResult& r;
    int row;

    std::optional<std::string> text(int c) const
    {
        return r.isNull(row, c) ? std::nullopt : std::optional(r.value(row, c));
    }
    std::string str(int c) const { return r.isNull(row, c) ? std::string() : r.value(row, c); }
    double real(int c) const
    {
        const std::string t = str(c);
        double value = 0;
        std::from_chars(t.data(), t.data() + t.size(), value);
        return value;
    }
    std::optional<double> maybeReal(int c) const { return r.isNull(row, c) ? std::nullopt : std::optional(real(c)); }
    int whole(int c) const { return static_cast<int>(real(c)); }
};

// Calls f with every row of the result.
template <typename F>
void eachRow(const PgResult& r, F f)
{
    for (int i = 0; i < r.rows(); ++i)
        f(Row{r, i});
}

TestRow testRow(const Row& r)
{
    return TestRow{r.str(0),  r.str(1),       r.whole(2), r.whole(3), r.str(4),       r.str(5),
                   r.real(6), r.maybeReal(7), r.text(8),  r.text(9),  r.maybeReal(10)};
}

// A list of test ids as a PostgreSQL array literal; the callers have checked that each is a UUID.
std::string idArray(const std::vector<std::string>& ids)
{
    std::string out = "{";
    for (const std::string& id : ids)
        out += (out.size() > 1 ? "," : "") + id;
    return out + "}";
}

}  // namespace

std::vector<StationRow> LabReader::stations()
{
    std::vector<StationRow> out;
    eachRow(pool_.query("SELECT name, host, version, extract(epoch FROM last_seen), "
                        "extract(epoch FROM now() - last_seen) FROM cellward.station ORDER BY name",
                        {}),
            [&](const Row& r) {
                out.push_back(StationRow{r.str(0), r.str(1), r.str(2), r.real(3), r.real(4)});
            });
    return out;
}

std::vector<ChannelRow> LabReader::channels()
{
    std::vector<ChannelRow> out;
    eachRow(pool_.query("SELECT station, device, channel, state, status, voltage_volt, current_ampere, capacity_ah, "
                        "energy_wh, step, loop_pass, running, test_id::text "
                        "FROM cellward.channel_state ORDER BY station, device, channel",
                        {}),
            [&](const Row& r) {
                out.push_back(ChannelRow{r.str(0), r.whole(1), r.whole(2), r.str(3), r.str(4), r.real(5), r.real(6),
                                         r.real(7), r.real(8), r.whole(9), r.whole(10), r.str(11) == "t", r.text(12)});
            });
    return out;
}

std::optional<TestRow> LabReader::test(const std::string& id)
{
    const PgResult r =
        pool_.query(std::string("SELECT ") + kTestColumns + " FROM cellward.test WHERE id = $1::uuid", {id});
    if (r.rows() == 0)
        return std::nullopt;
    return testRow(Row{r, 0});
}

std::vector<StepResultRow> LabReader::stepResults(const std::string& id)
{
    std::vector<StepResultRow> out;
    eachRow(pool_.query("SELECT cycle, step, mode, capacity_ah, energy_wh, seconds "
                        "FROM cellward.step_result WHERE test_id = $1::uuid ORDER BY cycle, step",
                        {id}),
            [&](const Row& r) {
                out.push_back(StepResultRow{r.whole(0), r.whole(1), r.str(2), r.real(3), r.real(4), r.real(5)});
            });
    return out;
}

// Samples are numbered from 0 without gaps, so the chosen ones are fetched by key: a
// million-sample test costs a few thousand index lookups, not a scan.
CurveSamples LabReader::curve(const std::string& id, int width)
{
    CurveSamples c;
    const PgResult count =
        pool_.query("SELECT coalesce(max(seq) + 1, 0) FROM cellward.sample WHERE test_id = $1::uuid", {id});
    c.total = static_cast<long long>(Row{count, 0}.real(0));
    if (c.total == 0)
        return c;
    c.step = decimationStep(static_cast<int>(c.total), width);
    std::string seqs = "{0";
    long long last = 0;
    for (long long i = 1; i <= c.total - 1; i += c.step) {
        seqs += "," + std::to_string(i);
        last = i;
    }
    if (last != c.total - 1)
        seqs += "," + std::to_string(c.total - 1);
    seqs += "}";
    eachRow(pool_.query("SELECT test_time_second, voltage_volt, current_ampere FROM cellward.sample "
                        "WHERE test_id = $1::uuid AND seq = ANY($2::int[]) ORDER BY seq",
                        {id, seqs}),
            [&](const Row& r) {
                c.time.push_back(r.real(0));
                c.voltage.push_back(r.real(1));
                c.current.push_back(r.real(2));
            });
    return c;
}

TestPage LabReader::tests(const TestFilter& f)
{
    TestPage page;
    eachRow(pool_.query(std::string("SELECT ") + kTestColumns +
                            " FROM cellward.test WHERE ($1 = '' OR station = $1) AND ($2::int = 0 OR device = $2::int) "
                            "AND ($3::int = 0 OR channel = $3::int) "
                            "AND ($4 = '' OR started_at >= nullif($4, '')::date) "
                            "AND ($5 = '' OR started_at < nullif($5, '')::date + 1) "
                            "AND ($6 = '' OR strpos(lower(program), lower($6)) > 0) "
                            "AND ($9 = '' OR strpos(lower(coalesce(cell_id, '')), lower($9)) > 0) "
                            "ORDER BY started_at DESC, id LIMIT $7::int OFFSET $8::int",
                        {f.station, std::to_string(f.device), std::to_string(f.channel), f.from, f.to, f.program,
                         std::to_string(kPageSize + 1), std::to_string(static_cast<long long>(f.page) * kPageSize),
                         f.cell}),
            [&](const Row& r) { page.tests.push_back(testRow(r)); });
    page.more = page.tests.size() > static_cast<std::size_t>(kPageSize);
    if (page.more)
        page.tests.pop_back();
    return page;
}

std::vector<CycleRow> LabReader::cycles(const std::string& id)
{
    std::vector<CycleRow> out;
    eachRow(pool_.query("SELECT cycle_count, start_time_second, end_time_second, charging_capacity_ah, "
                        "discharging_capacity_ah, charging_energy_wh, discharging_energy_wh, "
                        "coulombic_efficiency_pct, energy_efficiency_pct, mean_charging_voltage_volt, "
                        "mean_discharging_voltage_volt, maximum_voltage_volt, minimum_voltage_volt, "
                        "discharge_capacity_retention_pct, cumulative_throughput_ah "
                        "FROM cellward.cycle WHERE test_id = $1::uuid ORDER BY cycle_count",
                        {id}),
            [&](const Row& r) {
                // The station's table counts test time in whole seconds.
                const auto seconds = [&](int c) {
                    const auto v = r.maybeReal(c);
                    return v ? std::optional(std::llround(*v)) : std::nullopt;
                };
                out.push_back(CycleRow{r.whole(0), seconds(1), seconds(2), r.maybeReal(3), r.maybeReal(4),
                                       r.maybeReal(5), r.maybeReal(6), r.maybeReal(7), r.maybeReal(8), r.maybeReal(9),
                                       r.maybeReal(10), r.maybeReal(11), r.maybeReal(12), r.maybeReal(13), r.real(14)});
            });
    return out;
}

std::vector<CycleSeries> LabReader::cycleSeries(const std::vector<std::string>& ids)
{
    std::vector<std::string> wanted = ids;
    for (std::string& id : wanted)
        std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string array = idArray(wanted);
    std::map<std::string, CycleSeries> found;
    eachRow(
        pool_.query(std::string("SELECT ") + kTestColumns + " FROM cellward.test WHERE id = ANY($1::uuid[])", {array}),
        [&](const Row& r) {
            TestRow t = testRow(r);
            found[t.id].test = std::move(t);
        });
    eachRow(pool_.query("SELECT test_id::text, json_agg(cycle_count ORDER BY cycle_count)::text, "
                        "json_agg(discharging_capacity_ah ORDER BY cycle_count)::text, "
                        "json_agg(discharge_capacity_retention_pct ORDER BY cycle_count)::text "
                        "FROM cellward.cycle WHERE test_id = ANY($1::uuid[]) GROUP BY test_id",
                        {array}),
            [&](const Row& r) {
                const auto it = found.find(r.str(0));
                if (it != found.end())
                    it->second = CycleSeries{std::move(it->second.test), r.str(1), r.str(2), r.str(3)};
            });
    std::vector<CycleSeries> out;
    for (const std::string& id : wanted) {
        const auto it = found.find(id);
        if (it == found.end())
            continue;
        out.push_back(std::move(it->second));
        found.erase(it);  // a test asked for twice is drawn once
    }
    return out;
}

void LabReader::samples(const std::string& id, const std::function<bool(const std::vector<SampleRow>&)>& chunk)
{
    std::vector<SampleRow> out;
    for (long long next = 0;;) {
        const PgResult r = pool_.query(
            "SELECT seq, test_time_second, unix_time_second, voltage_volt, current_ampere, cycle_count, step_count, "
            "step_index FROM cellward.sample WHERE test_id = $1::uuid AND seq >= $2::int ORDER BY seq LIMIT $3::int",
            {id, std::to_string(next), std::to_string(kSampleChunk)});
        if (r.rows() == 0)
            return;
        out.clear();
        eachRow(r, [&](const Row& row) {
            out.push_back(SampleRow{row.whole(0), row.real(1), row.maybeReal(2), row.real(3), row.real(4), row.whole(5),
                                    row.whole(6), row.whole(7)});
        });
        next = out.back().seq + 1;
        if (!chunk(out) || r.rows() < kSampleChunk)
            return;
    }
}

}  // namespace klv::lab
