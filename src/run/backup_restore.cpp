#include "run/backup_restore.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/text_file.h"
#include "program/step_program.h"
#include "run/curve_plot.h"
#include "run/grid_rows.h"
#include "station.h"

namespace klv {

namespace {

constexpr const char* kStepPrefix = "工步:";
constexpr size_t kStepLineMinChars = 5;  // the prefix, a step number and more

std::vector<std::string> splitTabs(const std::string& text)
{
    std::vector<std::string> fields;
    size_t begin = 0;
    for (size_t tab; (tab = text.find('\t', begin)) != std::string::npos; begin = tab + 1)
        fields.push_back(text.substr(begin, tab - begin));
    fields.push_back(text.substr(begin));
    return fields;
}

size_t charCount(const std::string& utf8)
{
    size_t count = 0;
    for (unsigned char byte : utf8)
        count += (byte & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

bool isStepLine(const std::string& line)
{
    return line.starts_with(kStepPrefix) && charCount(line) >= kStepLineMinChars;
}

bool isNumberLine(const std::string& line)
{
    return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
}

std::optional<int> wholeNumber(const std::string& text)
{
    if (!parseCellNumber(text))
        return std::nullopt;
    return cellInteger(text);
}

std::string fieldOrEmpty(const std::vector<std::string>& fields, size_t i)
{
    return i < fields.size() ? fields[i] : std::string();
}

// "工步:" k, then the five cells of row k. False when k or a loop row's count is no number.
bool restoreStepLine(const std::string& line, TextGrid& table, int& stepCount, int& loopCount)
{
    const std::vector<std::string> fields = splitTabs(line.substr(std::strlen(kStepPrefix)));
    const std::optional<int> k = wholeNumber(fields[0]);
    // A row outside the table is as unreadable as no number at all.
    if (!k || *k < 1 || *k > kStepRows)
        return false;
    table.at(*k, kColStepNo) = std::to_string(*k);
    for (int c = kColMode; c <= kColTimeCount; ++c)
        table.at(*k, c) = fieldOrEmpty(fields, static_cast<size_t>(c));
    if (table.at(*k, kColMode) != stepModeLabel(kStepLoop)) {
        stepCount = *k;
        return true;
    }
    const std::optional<int> passes = wholeNumber(table.at(*k, kColTimeCount));
    if (passes)
        loopCount = *passes;
    return passes.has_value();
}

struct Sample {
    int seconds;
    float current, voltage;
};

std::optional<Sample> parseSample(const std::string& line)
{
    const std::vector<std::string> fields = splitTabs(line);
    if (fields.size() < 3)
        return std::nullopt;
    const auto t = parseCellNumber(fields[0]);
    const auto current = parseCellNumber(fields[1]);
    const auto voltage = parseCellNumber(fields[2]);
    if (!t || !current || !voltage)
        return std::nullopt;
    // A test runs for days, so seconds take the whole int range, not the 16 bits of a cell integer.
    const int seconds = static_cast<int>(std::clamp(std::round(*t), double(INT_MIN), double(INT_MAX)));
    return Sample{seconds, toSingle(*current), toSingle(*voltage)};
}

// The length of the whole lines: a last line torn by a power cut in the middle of its append
// (the file does not end in its line end) is not one of them.
size_t wholeLength(std::string_view content)
{
    if (content.empty() || content.back() == '\n' || content.back() == '\r')
        return content.size();
    const size_t lastEnd = content.rfind('\n');
    return lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
}

// The lines of a backup file without a torn last line: its numbers may be cut short, and
// reading it as unreadable would leave the channel idle and lose the test. The torn bytes are
// cut off the file too, so that the lines the continued test appends start on a line of their
// own and a later continue still reads them.
std::optional<std::vector<std::string>> readBackupLines(const std::string& path)
{
    const std::optional<std::string> content = readFileBytes(path);
    if (!content)
        return std::nullopt;
    const size_t whole = wholeLength(*content);
    if (whole < content->size()) {
        std::error_code ignored;  // a file that cannot be cut is still read without the torn line
        std::filesystem::resize_file(path, whole, ignored);
    } else if (!content->empty() && content->back() == '\r') {
        // Cut between CR and LF: the line is whole; its LF keeps the next append off it.
        std::ofstream(path, std::ios::binary | std::ios::app) << '\n';
    }
    return backupLines(*content);
}

size_t lastSampleIndex(const std::vector<std::string>& lines)
{
    for (size_t i = lines.size(); i-- > 0;)
        if (isNumberLine(lines[i]))
            return i;
    return lines.size();
}

}  // namespace

void FlowSums::add(int seconds, float current, float voltage)
{
    if (current != 0) {
        // In 64 bits: times from a damaged file may lie anywhere in the int range.
        const long long dt = static_cast<long long>(seconds) - previous_;
        charge_ += double(current) * double(dt);
        energy_ += double(current) * voltage * double(dt);
        seconds_ += dt;
        previous_ = seconds;
        zeroSeen_ = false;
    } else if (!zeroSeen_) {
        zeroSeen_ = true;
    } else {
        charge_ = 0;
        energy_ = 0;
        seconds_ = 0;
        previous_ = seconds;
    }
}

int FlowSums::seconds() const { return static_cast<int>(std::clamp<long long>(seconds_, INT_MIN, INT_MAX)); }

std::vector<std::string> backupLines(std::string_view content)
{
    return decodeLines(content.substr(0, wholeLength(content)));
}

RestoreOutcome restoreSamples(Station& station, int slot, const std::string& path)
{
    const std::optional<std::vector<std::string>> lines = readBackupLines(path);
    return lines ? restoreSampleLines(station, slot, *lines) : RestoreOutcome::Missing;
}

RestoreOutcome restoreResults(Station& station, int slot, const std::string& path)
{
    const std::optional<std::vector<std::string>> lines = readBackupLines(path);
    return lines ? restoreResultLines(station, slot, *lines) : RestoreOutcome::Missing;
}

RestoreOutcome restoreSampleLines(Station& station, int slot, const std::vector<std::string>& lines)
{
    TextGrid& table = station.program.gridRun[slot];
    int& stepCount = station.program.stepCount[slot];
    int& loopCount = station.program.loopCount[slot];
    stepCount = 0;
    loopCount = 1;
    // Only the last sample may switch the graph to this channel: fitting and redrawing the
    // graph for every sample of a long test would cost time quadratic in its length.
    const bool selected = station.ui.panels[deviceOfSlot(slot)].tiles[channelOfSlot(slot)].sel;
    const size_t last = lastSampleIndex(lines);
    FlowSums sums;
    int testSeconds = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (isStepLine(line)) {
            if (!restoreStepLine(line, table, stepCount, loopCount))
                return RestoreOutcome::Unreadable;
        } else if (isNumberLine(line)) {
            const std::optional<Sample> sample = parseSample(line);
            if (!sample)
                return RestoreOutcome::Unreadable;
            curveRoutine(station, slot, sample->seconds, sample->voltage, sample->current, selected && i == last);
            sums.add(sample->seconds, sample->current, sample->voltage);
            testSeconds = sample->seconds;
        }
    }
    RunSlot& run = station.run.slots[slot];
    station.link.slots[slot].capacityWrap = toSingle(sums.ampSeconds() / 3600);
    run.energyOffset = toSingle(sums.wattSeconds() / 3600);
    run.stepSeconds = sums.seconds();
    run.testSeconds = testSeconds;
    return RestoreOutcome::Restored;
}

RestoreOutcome restoreResultLines(Station& station, int slot, const std::vector<std::string>& lines)
{
    RunSlot& run = station.run.slots[slot];
    TextGrid& results = run.gridList;
    int row = 0;
    for (const std::string& line : lines) {
        if (!isNumberLine(line))
            continue;
        const std::vector<std::string> fields = splitTabs(line);
        const std::optional<int> pass = wholeNumber(fields[0]);
        const std::optional<int> step = wholeNumber(fieldOrEmpty(fields, 1));
        if (!pass || !step)
            return RestoreOutcome::Unreadable;
        ++row;
        if (row >= results.rows)
            setGridRows(results, row + 1);
        for (int c = 0; c < results.cols; ++c)
            results.at(row, c) = fieldOrEmpty(fields, static_cast<size_t>(c));
        setGridRows(results, results.rows + 1);
        run.currentStep = *step + 1;
        run.loopPass = *pass;
        if (run.currentStep > station.program.stepCount[slot]) {
            run.currentStep = 1;
            run.loopPass += 1;
        }
    }
    return RestoreOutcome::Restored;
}

}  // namespace klv
