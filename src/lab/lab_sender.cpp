#include "lab/lab_sender.h"

#include <map>

#include "common/screen_text.h"

#include "lab/outbox_row.h"
#include "lab/schema_migration.h"

namespace klv::lab {

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> kTestColumns = {
    "id", "station", "device", "channel", "model", "program", "started_at", "cell_id", "nominal_capacity_ah"};
const std::vector<std::string> kSampleColumns = {
    "test_id",     "seq",        "test_time_second", "unix_time_second", "voltage_volt",  "current_ampere",
    "cycle_count", "step_count", "step_index",       "step_capacity_ah", "step_energy_wh"};
const std::vector<std::string> kResultColumns = {"test_id",     "cycle",     "step",    "mode",
                                                 "capacity_ah", "energy_wh", "seconds", "early_end"};
const std::vector<std::string> kCycleColumns = {"test_id",
                                                "cycle_count",
                                                "start_time_second",
                                                "end_time_second",
                                                "charging_capacity_ah",
                                                "discharging_capacity_ah",
                                                "charging_energy_wh",
                                                "discharging_energy_wh",
                                                "coulombic_efficiency_pct",
                                                "energy_efficiency_pct",
                                                "mean_charging_voltage_volt",
                                                "mean_discharging_voltage_volt",
                                                "maximum_voltage_volt",
                                                "minimum_voltage_volt",
                                                "discharge_capacity_retention_pct",
                                                "cumulative_throughput_ah"};

// A cycle's row is sent whenever it changes: the latest one stands.
std::string cycleUpdate()
{
    std::string sql = "ON CONFLICT (test_id, cycle_count) DO UPDATE SET ";
    for (size_t c = 2; c < kCycleColumns.size(); ++c)
        sql += (c > 2 ? ", " : "") + kCycleColumns[c] + " = EXCLUDED." + kCycleColumns[c];
    return sql;
}

// One statement may not update a row twice: of a cycle's rows in a segment the last goes.
std::vector<PgParams> latestCycles(std::vector<PgParams> rows)
{
    std::map<std::pair<PgParam, PgParam>, size_t> last;
    for (size_t i = 0; i < rows.size(); ++i)
        last[{rows[i][0], rows[i][1]}] = i;
    std::vector<PgParams> kept;
    for (size_t i = 0; i < rows.size(); ++i)
        if (last[{rows[i][0], rows[i][1]}] == i)
            kept.push_back(std::move(rows[i]));
    return kept;
}
const std::vector<std::string> kChannelColumns = {
    "station",     "device",    "channel", "state",     "status",  "voltage_volt", "current_ampere",
    "capacity_ah", "energy_wh", "step",    "loop_pass", "running", "test_id",      "updated_at"};
constexpr const char* kChannelUpdate =
    "ON CONFLICT (station, device, channel) DO UPDATE SET state = EXCLUDED.state, status = EXCLUDED.status,"
    " voltage_volt = EXCLUDED.voltage_volt, current_ampere = EXCLUDED.current_ampere,"
    " capacity_ah = EXCLUDED.capacity_ah, energy_wh = EXCLUDED.energy_wh, step = EXCLUDED.step,"
    " loop_pass = EXCLUDED.loop_pass, running = EXCLUDED.running, test_id = EXCLUDED.test_id,"
    " updated_at = EXCLUDED.updated_at";

// Only a row the schema refuses (data exception 22, integrity 23) fails again however often it
// is sent. Everything else passes: the link (08), resources (53, a full disk), an operator
// (57), locks (55P03), a read-only server (25006), serialization (40).
bool isDataError(const std::string& sqlState) { return sqlState.rfind("22", 0) == 0 || sqlState.rfind("23", 0) == 0; }

}  // namespace

LabSender::LabSender(std::string uri, std::string outboxFolder, StationInfo info, SenderTiming timing,
                     std::uint64_t outboxReserveBytes)
        : uri_(std::move(uri)), info_(std::move(info)), timing_(timing),
          outbox_(std::move(outboxFolder), outboxReserveBytes), retry_(timing.firstRetry), sendRetry_(timing.firstRetry)
{
    status_.backlog = outbox_.backlog();
    status_.reason = KLV_NOOP("Lab", "尚未连接");
    thread_ = std::thread([this] { run(); });
}

LabSender::~LabSender() { stop(); }

std::int64_t LabSender::stop(std::chrono::milliseconds within)
{
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            stopWithin_ = within;
        }
        wake_.notify_all();
        thread_.join();
    }
    return status().backlog;
}

void LabSender::post(std::vector<std::string> lines)
{
    std::lock_guard lock(mutex_);
    posted_.insert(posted_.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

void LabSender::postChannels(std::vector<PgParams> rows)
{
    std::lock_guard lock(mutex_);
    channels_ = std::move(rows);
    channelsNew_ = true;
}

LinkStatus LabSender::status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

void LabSender::run()
{
    std::vector<std::string> rows;
    std::vector<PgParams> channels;
    for (bool stop = false; !stop;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, timing_.batchEvery, [this] { return stopping_; });
            rows.swap(posted_);
            if (channelsNew_)
                channels.swap(channels_);
            channelsNew_ = false;
            stop = stopping_;
            if (stop)
                sendUntil_ = Clock::now() + stopWithin_;
        }
        keep(rows);
        rows.clear();
        const Clock::time_point now = Clock::now();
        if (!stop)
            connectIfDue(now);
        if (db_.connected() && now >= nextHeartbeat_ && upsertStation())
            nextHeartbeat_ = now + timing_.heartbeatEvery;
        if (db_.connected() && !channels.empty() && now >= nextChannels_ && upsertChannels(channels)) {
            channels.clear();
            nextChannels_ = now + timing_.channelsEvery;
        }
        if (db_.connected() && (now >= nextSend_ || stop)) {
            outbox_.seal();
            carry_.sealed();
            sendSegments(now);
        }
        std::lock_guard lock(mutex_);
        status_.connected = db_.connected();
        status_.backlog = outbox_.backlog();
        if (status_.connected)
            status_.reason.clear();
    }
}

// Rows are never kept only in memory: what the outbox cannot keep is dropped, counted and
// said, and the station sends it again later from the tests' backups.
void LabSender::keep(const std::vector<std::string>& rows)
{
    if (rows.empty())
        return;
    const Outbox::Append kept = outbox_.append(carry_.carried(rows));
    if (kept == Outbox::Append::Kept)
        carry_.kept();
    std::lock_guard lock(mutex_);
    status_.dropping = kept != Outbox::Append::Kept;
    if (!status_.dropping)
        return;
    status_.dropped += static_cast<std::int64_t>(rows.size());
    status_.problem = (kept == Outbox::Append::BelowReserve ? "实验室库的待发数据已到磁盘的保留空间 ("
                                                            : "实验室库的待发数据写不进磁盘 (") +
                      outbox_.folder() + "), 之后从备份补发";
}

void LabSender::connectIfDue(Clock::time_point now)
{
    if (db_.connected() || now < nextTry_)
        return;
    db_.setStatementTimeout(timing_.statementTimeout);
    std::string why;
    if (!db_.connect(uri_, timing_.connectTimeout)) {
        why = db_.error();
    } else {
        const MigrationResult schema = migrate(db_);
        if (!schema.ok)
            why = schema.message;
        else if (!upsertStation())
            why = db_.error();
    }
    if (why.empty()) {
        retry_ = timing_.firstRetry;
        nextHeartbeat_ = now + timing_.heartbeatEvery;
        return;
    }
    lost(why);
}

void LabSender::lost(const std::string& why)
{
    db_.close();
    nextTry_ = Clock::now() + retry_;
    retry_ = std::min(retry_ * 2, timing_.longestRetry);
    std::lock_guard lock(mutex_);
    status_.connected = false;
    status_.reason = why;
}

bool LabSender::upsertStation()
{
    const PgResult r = db_.exec(
        "INSERT INTO cellward.station (name, host, version, last_seen) VALUES ($1, $2, $3, now())"
        " ON CONFLICT (name) DO UPDATE SET host = EXCLUDED.host, version = EXCLUDED.version,"
        " last_seen = EXCLUDED.last_seen",
        {info_.name, info_.host, info_.version});
    if (!r.ok())
        lost(r.error());
    return r.ok();
}

bool LabSender::upsertChannels(const std::vector<PgParams>& rows)
{
    const PgResult r = db_.insertRows("cellward.channel_state", kChannelColumns, rows, kChannelUpdate);
    if (!r.ok())
        lost(r.error());
    return r.ok();
}

void LabSender::sendSegments(Clock::time_point now)
{
    for (const std::string& segment : outbox_.sealedSegments()) {
        // Stopping: what is left waits in the outbox for the next start.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(sendUntil_ - Clock::now());
        if (left <= std::chrono::milliseconds(0))
            return;
        db_.setStatementTimeout(std::min(timing_.statementTimeout, left));
        const std::vector<std::string> lines = Outbox::readSegment(segment);
        if (sendRows(lines)) {
            outbox_.remove(segment, static_cast<std::int64_t>(lines.size()));
            sendRetry_ = timing_.firstRetry;
            std::lock_guard lock(mutex_);
            status_.sendError.clear();
            continue;
        }
        if (!db_.connected())
            return;
        const std::string why = db_.error();
        db_.exec("ROLLBACK");
        if (!isDataError(failedState_)) {
            sendFailed(why, now);
            return;
        }
        // Rows the schema refuses would block every row behind them however often they went
        // again: they are set aside for a person to look at.
        outbox_.setAside(segment, static_cast<std::int64_t>(lines.size()));
        std::lock_guard lock(mutex_);
        status_.setAside += static_cast<std::int64_t>(lines.size());
        status_.problem = "实验室库拒收了 " + segment + ": " + why;
    }
}

// A refusal that passes: the same segment goes again later, each time a little later.
void LabSender::sendFailed(const std::string& why, Clock::time_point now)
{
    nextSend_ = now + sendRetry_;
    sendRetry_ = std::min(sendRetry_ * 2, timing_.longestRetry);
    std::lock_guard lock(mutex_);
    status_.sendError = why;
}

// One transaction for the rows of one segment: tests before the samples, results and cycles
// that refer to them, ends last. Samples go by COPY, the quickest way in; a segment the database
// already holds in part (sent again after a crash or a continue) makes that fail as a whole,
// and the keyed inserts, which a replay doubles nothing with, take the segment instead.
bool LabSender::sendRows(const std::vector<std::string>& lines)
{
    SegmentRows rows;
    for (const std::string& line : lines) {
        std::optional<OutboxRow> row = decodeRow(line);
        if (!row)
            continue;  // a line no station wrote: nothing to send
        auto& into = row->kind == RowKind::Test     ? rows.tests
                     : row->kind == RowKind::Sample ? rows.samples
                     : row->kind == RowKind::Result ? rows.results
                     : row->kind == RowKind::Cycle  ? rows.cycles
                                                    : rows.ends;
        into.push_back(std::move(row->fields));
    }
    rows.cycles = latestCycles(std::move(rows.cycles));
    if (sendTransaction(rows, true))
        return true;
    if (failedState_ != "23505" || !db_.connected())
        return false;
    db_.exec("ROLLBACK");
    return sendTransaction(rows, false);
}

bool LabSender::sendTransaction(const SegmentRows& rows, bool copySamples)
{
    failedState_.clear();
    bool ok = true;
    auto check = [&](const PgResult& r) {
        ok = r.ok();
        if (!ok)
            failedState_ = r.sqlState();
    };
    check(db_.exec("BEGIN"));
    auto insert = [&](const char* table, const std::vector<std::string>& columns, const std::vector<PgParams>& list) {
        if (ok && !list.empty())
            check(db_.insertRows(table, columns, list, "ON CONFLICT DO NOTHING"));
    };
    insert("cellward.test", kTestColumns, rows.tests);
    if (copySamples && ok && !rows.samples.empty())
        check(db_.copyRows("cellward.sample", kSampleColumns, rows.samples));
    else
        insert("cellward.sample", kSampleColumns, rows.samples);
    insert("cellward.step_result", kResultColumns, rows.results);
    if (ok && !rows.cycles.empty())
        check(db_.insertRows("cellward.cycle", kCycleColumns, rows.cycles, cycleUpdate()));
    for (const PgParams& end : rows.ends)
        if (ok)
            check(db_.exec("UPDATE cellward.test SET ended_at = $2, end_reason = $3 WHERE id = $1", end));
    if (ok)
        check(db_.exec("COMMIT"));
    if (!ok && !db_.connected())
        lost(db_.error());
    return ok;
}

}  // namespace klv::lab
