#include "lab/lab_store.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fstream>
#include <random>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "data/data_lines.h"
#include "data/data_loader.h"
#include "lab/outbox_row.h"
#include "platform/file_replacement.h"
#include "program/step_program.h"
#include "run/backup_files.h"
#include "run/live_cycles.h"
#include "run/result_rows.h"
#include "station.h"
#include "version.h"

namespace klv::lab {

namespace {

std::string newTestId()
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::uint64_t high = random(), low = random();
    char text[40];
    // A version 4 (random) uuid.
    std::snprintf(text, sizeof text, "%08x-%04x-4%03x-%04x-%012llx", unsigned(high >> 32),
                  unsigned(high >> 16 & 0xffff), unsigned(high & 0x0fff), unsigned(0x8000 | (low >> 48 & 0x3fff)),
                  static_cast<unsigned long long>(low & 0xffffffffffffULL));
    return text;
}

bool isTestId(const std::string& text)
{
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((i == 8 || i == 13 || i == 18 || i == 23) ? text[i] != '-' : !std::isxdigit((unsigned char)text[i]))
            return false;
    return true;
}

// The station's calendar time (local) as seconds since 1970.
std::time_t epochOf(const LocalDateTime& t)
{
    std::tm local{};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

// A timestamp the server reads the same in any time zone.
std::string timestampOf(std::time_t epoch)
{
    std::tm utc{};
    gmtime_r(&epoch, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S+00", &utc);
    return text;
}

// The test id kept beside the backup files, so that a continued test stays the same test.
std::string idFilePath(const std::string& backupBase) { return backupBase + ".lab"; }

std::string programText(const Station& station, int slot)
{
    std::string text;
    for (const std::string& line : programHeaderLines(station, slot))
        if (line.starts_with("工步:"))
            text += (text.empty() ? "" : "\n") + line;
    return text;
}

PgParam numberParam(const std::optional<double>& v) { return v ? PgParam(exactText(*v)) : PgParam(); }
PgParam numberParam(const std::optional<long long>& v) { return v ? PgParam(std::to_string(*v)) : PgParam(); }

// A cycle's row in the columns of cellward.cycle, each number exactly as computed.
PgParams cycleParams(const std::string& testId, const CycleRow& r)
{
    PgParams row{testId, std::to_string(r.cycle), numberParam(r.start), numberParam(r.end)};
    for (const auto* v : {&r.chargeAh, &r.dischargeAh, &r.chargeWh, &r.dischargeWh, &r.coulombic, &r.energyEfficiency,
                          &r.meanChargeV, &r.meanDischargeV, &r.maxV, &r.minV, &r.retention})
        row.push_back(numberParam(*v));
    row.push_back(exactText(r.throughputAh));
    return row;
}

// A step result as the database keeps it; earlyEnd empty: the step ended normally.
struct StepResultPost {
    std::string cycle, step, mode, capacity, energy, seconds;
    std::string earlyEnd;
    PgParams params(const std::string& testId) const
    {
        return {testId, cycle, step, mode, capacity, energy, seconds, earlyEnd.empty() ? PgParam() : PgParam(earlyEnd)};
    }
};

std::vector<std::string> cellsOf(const TextGrid& grid, int row)
{
    std::vector<std::string> cells;
    for (int c = 0; c < grid.cols; ++c)
        cells.push_back(grid.at(row, c));
    return cells;
}

}  // namespace

LabStore::LabStore(Station& station, const LabConfig& config, SenderTiming timing)
        : station_(station), config_(config),
          sender_(std::make_unique<LabSender>(config.uri, station.home + "/LabOutbox",
                                              StationInfo{config.station, hostName(), kVersionText}, timing,
                                              config.outboxReserveBytes))
{
}

LabStore::~LabStore() = default;

void LabStore::testStarted(int slot, bool continued)
{
    const RunSlot& run = station_.run.slots.at(slot);
    SlotLab& lab = slots_.at(slot);
    postWaiting(slot);  // the last test's final rows; its backups are being replaced
    lab.spans.clear();
    lab.cycles.clear();
    lab.testId.clear();
    lab.end.reset();
    lab.startedAt = timestampOf(epochOf(station_.clock.now()));
    if (continued) {
        std::ifstream in(idFilePath(run.backupBase));
        std::getline(in, lab.testId);
    }
    if (!isTestId(lab.testId)) {
        lab.testId = newTestId();
        writeTestId(idFilePath(run.backupBase), lab.testId);
    }
    postTestRow(slot);
    if (continued)
        postBackups(slot);
}

void LabStore::postTestRow(int slot)
{
    const SlotLab& lab = slots_.at(slot);
    const int d = deviceOfSlot(slot), n = channelOfSlot(slot);
    const DeviceEntry& device = station_.link.devices.at(d);
    const TestCell& cell = station_.run.slots.at(slot).cell;
    sender_->post({encodeRow({RowKind::Test,
                              {lab.testId, config_.station, std::to_string(device.busAddress + 1),
                               std::to_string(n + 1), device.modelName, programText(station_, slot), lab.startedAt,
                               cell.id.empty() ? PgParam() : PgParam(cell.id), numberParam(cell.nominalAh)}})});
}

// The backups are on the curves and in the results table again: all of it goes once more, and
// the keys drop what the database already holds.
void LabStore::postBackups(int slot)
{
    const RunSlot& run = station_.run.slots.at(slot);
    SlotLab& lab = slots_.at(slot);
    for (int row = 1; row <= lastFilledResultRow(run.gridList); ++row) {
        StepSpan span;
        if (!spanOfRow(cellsOf(run.gridList, row), lab.spans.empty() ? 0 : lab.spans.back().endSeconds, span))
            break;
        lab.spans.push_back(span);
    }
    postRecorded(slot);
}

// Every ended step's result, every cycle's row and every sample on the curves; the row of a
// step still running is not one of them.
void LabStore::postRecorded(int slot)
{
    for (int row = 1; row <= static_cast<int>(slots_.at(slot).spans.size()); ++row)
        postResult(slot, row);
    slots_.at(slot).cycles.clear();
    sender_->post(changedCycles(slot));
    const int points = station_.ui.graphs.at(deviceOfSlot(slot)).DpCnt(2 * channelOfSlot(slot));
    for (int i = 0; i < points; ++i)
        postSample(slot, i, {});
}

// Rows the outbox dropped are sent again from the tests' backups once it keeps rows again,
// one test a tick, each only once its backups hold everything it recorded.
void LabStore::replayDropped(const LinkStatus& status)
{
    if (!status.dropping && status.dropped > replayedDrops_) {
        replayedDrops_ = status.dropped;
        for (int slot = 0; slot < kSlotTableSize; ++slot)
            if (!slots_[slot].testId.empty() && !std::count(replays_.begin(), replays_.end(), slot))
                replays_.push_back(slot);
    }
    if (replays_.empty() || !backupDurable(station_, replays_.front()))
        return;
    const int slot = replays_.front();
    replays_.erase(replays_.begin());
    postWaiting(slot);
    postTestRow(slot);
    postRecorded(slot);
    if (const auto& end = slots_[slot].end)
        sender_->post({encodeRow({RowKind::TestEnd, *end})});
}

void LabStore::sampleRecorded(int slot)
{
    const int d = deviceOfSlot(slot), n = channelOfSlot(slot);
    const RunSlot& run = station_.run.slots.at(slot);
    const SlotLink& link = station_.link.slots.at(slot);
    slots_.at(slot).waitingSamples.push_back(
        {station_.ui.graphs.at(d).DpCnt(2 * n) - 1,
         {std::to_string(epochOf(station_.clock.now())), shortText(link.capacity + link.capacityWrap),
          shortText(link.energy + run.energyOffset)}});
}

void LabStore::stepCompleted(int slot, int row)
{
    SlotLab& lab = slots_.at(slot);
    StepSpan span;
    if (spanOfRow(cellsOf(station_.run.slots.at(slot).gridList, row),
                  lab.spans.empty() ? 0 : lab.spans.back().endSeconds, span))
        lab.spans.push_back(span);
    lab.waitingResults.push_back(row);
    // Now, while the curves and the results table are this test's; posted with the result.
    for (std::string& line : changedCycles(slot))
        lab.waitingCycles.push_back(std::move(line));
}

void LabStore::testEnded(int slot, bool finished)
{
    SlotLab& lab = slots_.at(slot);
    if (lab.testId.empty())
        return;
    if (backupDurable(station_, slot))
        postWaiting(slot);
    lab.end = PgParams{lab.testId, timestampOf(epochOf(station_.clock.now())), finished ? "完成" : "停止"};
    sender_->post({encodeRow({RowKind::TestEnd, *lab.end})});
}

void LabStore::postResult(int slot, int row)
{
    const SlotLab& lab = slots_.at(slot);
    const TextGrid& grid = station_.run.slots.at(slot).gridList;
    const auto seconds = stepTimeSeconds(grid.at(row, 5));
    if (lab.testId.empty() || !seconds)
        return;
    const StepResultPost result{grid.at(row, 0), grid.at(row, 1), grid.at(row, 2),
                                grid.at(row, 3), grid.at(row, 4), std::to_string(*seconds)};
    sender_->post({encodeRow({RowKind::Result, result.params(lab.testId)})});
}

// The lines of the test's cycle rows that changed since they were last computed, computed as
// --export-cycles computes them from the saved file.
std::vector<std::string> LabStore::changedCycles(int slot)
{
    SlotLab& lab = slots_.at(slot);
    std::vector<std::string> lines;
    if (lab.testId.empty())
        return lines;
    std::vector<CycleRow> rows = liveCycleRows(station_, slot);
    for (size_t i = 0; i < rows.size(); ++i)
        if (i >= lab.cycles.size() || !(rows[i] == lab.cycles[i]))
            lines.push_back(encodeRow({RowKind::Cycle, cycleParams(lab.testId, rows[i])}));
    lab.cycles = std::move(rows);
    return lines;
}

// Curve point `index` of the slot as a sample, in the data file's own number texts; a live one
// also carries the clock and the step's capacity and energy, which a replayed one cannot know.
void LabStore::postWaiting(int slot)
{
    SlotLab& lab = slots_.at(slot);
    for (int row : lab.waitingResults)
        postResult(slot, row);
    if (!lab.waitingCycles.empty())
        sender_->post(std::move(lab.waitingCycles));
    for (const WaitingSample& sample : lab.waitingSamples)
        postSample(slot, sample.index, sample.live);
    lab.waitingResults.clear();
    lab.waitingCycles.clear();
    lab.waitingSamples.clear();
}

void LabStore::postSample(int slot, int index, const Live& live)
{
    const SlotLab& lab = slots_.at(slot);
    if (lab.testId.empty() || index < 0)
        return;
    const int d = deviceOfSlot(slot), n = channelOfSlot(slot);
    const CurveGraph& graph = station_.ui.graphs.at(d);
    const RunSlot& run = station_.run.slots.at(slot);
    const float seconds = graph.DpX(2 * n, index);
    // The data file's own texts: time, tab, current, tab, voltage.
    const std::string line = sampleLine(seconds, graph.DpY(2 * n + 1, index), graph.DpY(2 * n, index),
                                        station_.link.devices.at(d).readingCurrentScale);
    const std::size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
    const std::string texts[3] = {line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
    const std::size_t at = spanIndexOf(lab.spans, seconds);
    StepSpan span{0, run.loopPass, run.currentStep,
                  station_.program.gridRun.at(slot).at(run.currentStep, kColMode) == stepModeLabel(kStepDischarge)};
    if (at < lab.spans.size())
        span = lab.spans[at];
    const bool negative = span.discharge && graph.DpY(2 * n + 1, index) != 0;
    sender_->post({encodeRow({RowKind::Sample,
                              {lab.testId, std::to_string(index), texts[0], live.unixTime, texts[2],
                               (negative ? "-" : "") + texts[1], std::to_string(span.cycle), std::to_string(at + 1),
                               std::to_string(span.step), live.capacity, live.energy}})});
}

void LabStore::runTicked()
{
    for (int slot = 0; slot < kSlotTableSize; ++slot)
        if (backupDurable(station_, slot))
            postWaiting(slot);
    const LinkStatus status = sender_->status();
    replayDropped(status);
    postChannels();
    showLink(status);
}

void LabStore::postChannels()
{
    const std::string now = timestampOf(epochOf(station_.clock.now()));
    std::vector<PgParams> rows;
    for (int d = 0; d < kMaxDevices; ++d) {
        const DeviceEntry& device = station_.link.devices[d];
        if (device.modelCode == 0)
            continue;
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            const int s = slotOf(d, n);
            const RunSlot& run = station_.run.slots[s];
            const SlotLink& link = station_.link.slots[s];
            const std::string& id = slots_[s].testId;
            const char* state = !station_.ui.panels[d].Conn[n] ? "absent"
                                : run.voltageError             ? "error"
                                : run.busy                     ? "running"
                                : id.empty()                   ? "idle"
                                                               : "stopped";
            const bool negative = run.busy && link.startMode == kModeDischarge && link.current != 0;
            rows.push_back({config_.station, std::to_string(device.busAddress + 1), std::to_string(n + 1), state,
                            station_.ui.panels[d].tiles[n].Txt, shortText(link.voltage),
                            (negative ? "-" : "") + shortText(link.current),
                            shortText(link.capacity + link.capacityWrap), shortText(link.energy + run.energyOffset),
                            std::to_string(run.busy ? run.currentStep : 0), std::to_string(run.loopPass),
                            link.running ? "true" : "false", id.empty() ? PgParam() : PgParam(id), now});
        }
    }
    sender_->postChannels(std::move(rows));
}

void LabStore::writeTestId(const std::string& path, const std::string& id)
{
    // Without it a continue would begin a second test and the first would never end.
    if (replaceFile(path, id + "\n"))
        return;
    const std::string line = "实验室库: 无法写入 " + path;
    klvLog(station_, line);
    if (announce)
        announce(line);
}

std::string LabStore::statusText(const LinkStatus& status)
{
    const std::string backlog = std::to_string(status.backlog), setAside = std::to_string(status.setAside);
    if (!status.connected)
        return fillIn(screenText(KLV_TEXT("Lab", "实验室库: 未连接, 积压 %1 条")), {backlog});
    // Connected is not enough: the rows must also be going.
    if (!status.sendError.empty())
        return fillIn(screenText(KLV_TEXT("Lab", "实验室库: 发送出错, 积压 %1 条, 已搁置 %2 条")), {backlog, setAside});
    if (status.setAside > 0)
        return fillIn(screenText(KLV_TEXT("Lab", "实验室库: 已连接, 已搁置 %1 条")), {setAside});
    return screenText(KLV_TEXT("Lab", "实验室库: 已连接"));
}

void LabStore::showLink(const LinkStatus& status)
{
    // The status bar speaks the operator's language; the log lines below stay as they are.
    const std::string text = statusText(status);
    const std::string tooltip = !status.connected          ? screenText({"Lab", status.reason.c_str()})
                                : status.sendError.empty() ? redactUri(config_.uri)
                                                           : status.sendError;
    if (showStatus && (text != shownText_ || tooltip != shownTooltip_))
        showStatus(text, tooltip);
    shownText_ = text;
    shownTooltip_ = tooltip;

    std::vector<std::string> lines;
    if (firstShow_ || status.connected != shown_.connected || status.reason != shown_.reason)
        lines.push_back(status.connected ? "实验室库: 已连接 " + redactUri(config_.uri)
                                         : "实验室库: 未连接, " + status.reason);
    if (!status.problem.empty() && status.problem != shown_.problem)
        lines.push_back(status.problem);
    if (status.connected && !status.sendError.empty() && status.sendError != shown_.sendError)
        lines.push_back("实验室库: 发送出错, " + status.sendError);
    // Before the first connect attempt has ended there is nothing to say yet.
    if (firstShow_ && !status.connected && status.reason == "尚未连接")
        return;
    firstShow_ = false;
    shown_ = status;
    for (const std::string& line : lines) {
        klvLog(station_, line);
        if (announce)
            announce(line);
    }
}

}  // namespace klv::lab
