#include "data/data_loader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/text_file.h"
#include "program/step_program.h"

namespace klv {

namespace {

constexpr std::string_view kDeviceLabel = "设备:";
constexpr std::string_view kChannelLabel = "通道:";
constexpr std::string_view kStepLabel = "工步:";
// Label lines need at least two characters after the label's three.
constexpr size_t kShortestLabelLine = 5;

size_t characterCount(std::string_view text)
{
    size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

bool startsWithDigit(std::string_view line) { return !line.empty() && line[0] >= '0' && line[0] <= '9'; }

// A line cut at its TABs: the lead before the first TAB, the non-empty runs after it (empty
// fields are not seen), and the last field, everything after the last TAB. No line kind reads
// more than the first four runs, so only those are kept, with the count of all of them: a file
// of a million records then costs no allocation per line.
struct TabFields {
    static constexpr size_t kKeptRuns = 4;
    std::string_view lead;
    std::array<std::string_view, kKeptRuns> runs;
    size_t runCount = 0;
    std::string_view last;
    bool hasTab = false;
};

TabFields scanTabs(std::string_view text)
{
    TabFields fields;
    const size_t firstTab = text.find('\t');
    fields.lead = text.substr(0, firstTab);
    if (firstTab == std::string_view::npos)
        return fields;
    fields.hasTab = true;
    fields.last = text.substr(text.rfind('\t') + 1);
    for (size_t pos = firstTab; pos < text.size();) {
        const size_t start = text.find_first_not_of('\t', pos);
        if (start == std::string_view::npos)
            break;
        pos = std::min(text.find('\t', start), text.size());
        if (fields.runCount < TabFields::kKeptRuns)
            fields.runs[fields.runCount] = text.substr(start, pos - start);
        ++fields.runCount;
    }
    return fields;
}

bool isAscii(std::string_view text)
{
    unsigned char any = 0;
    for (unsigned char c : text)
        any |= c;
    return any < 0x80;
}

// The LF bytes of text, counted eight at a time: a byte-by-byte count of a large file took as
// long as reading its records. A byte b of x = word ^ LFs is zero exactly when (b & 0x7F) + 0x7F
// leaves the top bit clear and b has it clear too; no carry crosses into the next byte. Each
// byte of lanes counts its own LFs, up to 255 words before they are added up.
size_t lineFeedCount(std::string_view text)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kLow7 = 0x7F * kOnes, kLineFeeds = '\n' * kOnes;
    size_t count = 0, at = 0;
    while (at + 8 <= text.size()) {
        std::uint64_t lanes = 0;
        for (int words = 0; words < 255 && at + 8 <= text.size(); ++words, at += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, 8);
            const std::uint64_t x = word ^ kLineFeeds;
            lanes += (~(((x & kLow7) + kLow7) | x) >> 7) & kOnes;
        }
        count += static_cast<size_t>((lanes * kOnes) >> 56);
    }
    return count + static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), '\n'));
}

// The lines of a file's bytes as the station's text files give them (split at LF, a CR before
// it dropped, GBK turned to UTF-8), handed to take one by one until it returns false. Record
// lines are plain ASCII, which reads the same in GBK and UTF-8, so only the lines with other
// bytes go through the converter: converting each of a million lines on its own was most of
// the loading time. quick(line start, content end) may take a line in the same pass that finds
// its end and return where the next line starts; nothing leaves the line to take.
template <typename Quick, typename Take>
void forEachLine(std::string_view content, const std::stop_token& stop, Quick&& quick, Take&& take)
{
    constexpr unsigned kLinesBetweenStopChecks = 4096;
    std::string converted;
    const char* const bytes = content.data();
    const size_t size = content.size();
    unsigned lines = 0;
    for (size_t start = 0; start < size;) {
        if (++lines % kLinesBetweenStopChecks == 0 && stop.stop_requested())
            return;
        if (const char* next = quick(bytes + start, bytes + size)) {
            start = static_cast<size_t>(next - bytes);
            continue;
        }
        const void* lf = std::memchr(bytes + start, '\n', size - start);
        const size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - bytes) : size;
        const size_t stop = (end > start && bytes[end - 1] == '\r') ? end - 1 : end;
        std::string_view line(bytes + start, stop - start);
        if (!isAscii(line)) {
            converted = gbkToUtf8(std::string(line));
            line = converted;
        }
        if (!take(line))
            break;
        start = end + 1;
    }
}

// A whole number from decimal text, halves going to the even neighbour (12.5 reads 12).
std::optional<int> parseWhole(std::string_view text)
{
    // The writer's times are plain digits; up to nine of them are read exactly without the real-number route.
    if (!text.empty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int whole = 0;
        for (char c : text)
            whole = whole * 10 + (c - '0');
        return whole;
    }
    const auto value = parseCellNumber(std::string(text));
    if (!value)
        return std::nullopt;
    const double whole = std::nearbyint(*value);
    if (whole < INT_MIN || whole > INT_MAX)
        return std::nullopt;
    return static_cast<int>(whole);
}

bool readStepLine(std::string_view rest, LoadedData& data)
{
    const TabFields fields = scanTabs(rest);
    const auto number = parseWhole(fields.lead);
    if (!number || *number < 1 || *number > kStepRows || fields.runCount < 5 || fields.last.empty())
        return false;
    LoadedStep step;
    step.number = *number;
    for (size_t c = 0; c < 4; ++c)
        step.cells[c] = fields.runs[c];
    step.cells[4] = fields.last;
    data.steps.push_back(step);
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A number of plain digits with at most one point inside, up to fifteen digits, read from p up
// to the first byte that is neither; p is left there. Such a number is an integer over a power
// of ten that are both exact doubles, so their quotient is the nearest double, as from_chars
// gives it.
std::optional<double> plainDecimal(const char*& p, const char* end)
{
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // Stopped before the sixteenth digit, which then ends the number where it cannot end: the
    // mantissa stays exact (and in range).
    constexpr std::ptrdiff_t kMaxDigits = 15;
    const char* const first = p;
    long long mantissa = 0;
    for (; p < end && p - first < kMaxDigits && isDigit(*p); ++p)
        mantissa = mantissa * 10 + (*p - '0');
    if (p == first)
        return std::nullopt;
    std::ptrdiff_t decimals = 0;
    if (p < end && *p == '.') {
        const char* const point = p++;
        for (; p < end && p - first <= kMaxDigits && isDigit(*p); ++p)
            mantissa = mantissa * 10 + (*p - '0');
        decimals = p - point - 1;
        if (decimals == 0)
            return std::nullopt;
    }
    return static_cast<double>(mantissa) / kTens[decimals];
}

// The writer's own record line, "seconds TAB current TAB voltage" with whole seconds of up to nine
// digits and plain decimals, read in the one pass that also finds the line's end: nearly every
// line of a file is one. Nothing when the line has any other form (the general route reads it
// then, to the same values); else where the next line starts.
const char* plainRecord(const char* p, const char* end, std::vector<LoadedRecord>& records)
{
    const char* const first = p;
    int seconds = 0;
    // A tenth digit stops the reading before the tab: no such line here.
    for (; p < end && p - first < 9 && isDigit(*p); ++p)
        seconds = seconds * 10 + (*p - '0');
    if (p == first || p == end || *p != '\t')
        return nullptr;
    const auto current = plainDecimal(++p, end);
    if (!current || p == end || *p != '\t')
        return nullptr;
    const auto voltage = plainDecimal(++p, end);
    if (!voltage)
        return nullptr;
    // The line ends at LF, CR LF, or the end of the bytes, a CR before it dropped.
    if (p < end && *p == '\r')
        ++p;
    if (p < end && *p != '\n')
        return nullptr;
    records.push_back({seconds, toSingle(*current), toSingle(*voltage)});
    return p < end ? p + 1 : end;
}

bool readRecordLine(std::string_view line, LoadedData& data)
{
    const TabFields fields = scanTabs(line);
    if (fields.hasTab && fields.last.empty())
        return false;
    // Fewer than three fields: nothing the writer makes; passed over.
    if (fields.runCount < 2)
        return true;
    const auto seconds = parseWhole(fields.lead);
    const auto current = parseCellNumber(std::string(fields.runs[0]));
    const auto voltage = parseCellNumber(std::string(fields.last));
    if (!seconds || !current || !voltage)
        return false;
    data.records.push_back({*seconds, toSingle(*current), toSingle(*voltage)});
    return true;
}

// False on a line that ends the loading.
bool readDataLine(std::string_view line, LoadedData& data)
{
    // Counted only for label lines: record lines, nearly all of a file, have no use for it.
    const auto longEnough = [line] { return characterCount(line) >= kShortestLabelLine; };
    if (line.starts_with(kDeviceLabel)) {
        if (longEnough())
            data.deviceLabel = line.substr(kDeviceLabel.size());
    } else if (line.starts_with(kChannelLabel)) {
        if (longEnough()) {
            data.channelLabel = line.substr(kChannelLabel.size());
            data.title = data.deviceLabel + " " + data.channelLabel;
        }
    } else if (line.starts_with(kStepLabel)) {
        if (longEnough())
            return readStepLine(line.substr(kStepLabel.size()), data);
    } else if (startsWithDigit(line)) {
        return readRecordLine(line, data);
    }
    return true;
}

bool readResultRow(std::string_view line, LoadedData& data)
{
    const TabFields fields = scanTabs(line);
    if (fields.runCount < 5 || fields.last.empty())
        return false;
    std::vector<std::string> cells{std::string(fields.lead)};
    for (size_t c = 0; c < 4; ++c)
        cells.emplace_back(fields.runs[c]);
    cells.emplace_back(fields.last);
    data.results.push_back(std::move(cells));
    return true;
}

// The data file path with its last three characters replaced by "run": a.dat and a.txt both give a.run.
std::optional<std::string> resultFilePath(const std::string& datPath)
{
    size_t cut = datPath.size();
    for (int characters = 0; characters < 3; ++characters) {
        if (cut == 0)
            return std::nullopt;
        do
            --cut;
        while (cut > 0 && (static_cast<unsigned char>(datPath[cut]) & 0xC0) == 0x80);
    }
    return datPath.substr(0, cut) + "run";
}

}  // namespace

LoadedData loadDataFile(const std::string& datPath, std::stop_token stop)
{
    const std::optional<std::string> dat = readFileBytes(datPath);
    if (!dat || stop.stop_requested())
        return {};
    const auto resultPath = resultFilePath(datPath);
    const std::optional<std::string> results = resultPath ? readFileBytes(*resultPath) : std::nullopt;
    return loadDataBytes(*dat, results ? std::optional<std::string_view>(*results) : std::nullopt, std::move(stop));
}

LoadedData loadDataBytes(std::string_view dat, std::optional<std::string_view> results, std::stop_token stop)
{
    LoadedData data;
    if (stop.stop_requested())
        return data;
    // A million records must not be copied over at every doubling of their vector.
    data.records.reserve(lineFeedCount(dat) + 1);
    bool failed = false;
    const auto record = [&data](const char* p, const char* end) { return plainRecord(p, end, data.records); };
    forEachLine(dat, stop, record, [&](std::string_view line) {
        failed = !line.empty() && !readDataLine(line, data);
        return !failed;
    });
    if (failed || !results || stop.stop_requested())
        return data;
    const auto none = [](const char*, const char*) -> const char* { return nullptr; };
    forEachLine(*results, stop, none, [&](std::string_view row) {
        failed = startsWithDigit(row) && !readResultRow(row, data);
        return !failed;
    });
    data.complete = !failed && !stop.stop_requested();
    return data;
}

std::optional<long long> stepTimeSeconds(const std::string& text)
{
    // Hours take every character before the last six ":mm:ss".
    if (text.size() < 7 || text[text.size() - 6] != ':' || text[text.size() - 3] != ':')
        return std::nullopt;
    const std::string_view view(text);
    long long parts[3]{};
    const std::string_view pieces[3] = {view.substr(0, view.size() - 6), view.substr(view.size() - 5, 2),
                                        view.substr(view.size() - 2)};
    for (int i = 0; i < 3; ++i) {
        const auto [stop, error] = std::from_chars(pieces[i].data(), pieces[i].data() + pieces[i].size(), parts[i]);
        if (error != std::errc() || stop != pieces[i].data() + pieces[i].size() || parts[i] < 0)
            return std::nullopt;
    }
    if (parts[0] > LLONG_MAX / 3600 - 3600)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

}  // namespace klv
