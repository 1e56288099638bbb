#include "data/data_loader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The lines of a text file as the station's text files give them (split at LF, a CR before it
// dropped, GBK turned to UTF-8), handed to take one by one until it returns false; false when the
// file cannot be opened; sizeHint learns the number of lines before the first is taken. Record
// lines are plain ASCII, which reads the same in GBK and UTF-8, so only the lines with other bytes
// go through the converter: converting each of a million lines on its own was most of the loading time.
template <typename SizeHint, typename Take>
bool forEachLine(const std::string& path, SizeHint&& sizeHint, Take&& take)
{
    // Anything but a regular file (a folder, a device) is left to the station's own line reader,
    // so it fails or reads exactly as it always did.
    std::error_code noSize;
    const auto fileSize = std::filesystem::file_size(path, noSize);
    if (noSize) {
        const auto lines = readLines(path);
        if (!lines)
            return false;
        sizeHint(lines->size());
        for (const std::string& line : *lines)
            if (!take(std::string_view(line)))
                break;
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    // One read into a buffer of the file's size: growing it bit by bit copied tens of megabytes
    // over again. Whatever the size did not tell (a file still growing) is read after it.
    std::string content(static_cast<size_t>(fileSize), '\0');
    const std::streamsize got = file.rdbuf()->sgetn(content.data(), static_cast<std::streamsize>(fileSize));
    content.resize(static_cast<size_t>(std::max<std::streamsize>(0, got)));
    content += std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    sizeHint(static_cast<size_t>(std::count(content.begin(), content.end(), '\n')) + 1);

    std::string converted;
    const char* const bytes = content.data();
    const size_t size = content.size();
    for (size_t start = 0; start < size;) {
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
    return true;
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

LoadedData loadDataFile(const std::string& datPath)
{
    LoadedData data;
    bool failed = false;
    // A million records must not be copied over at every doubling of their vector.
    const auto reserveRecords = [&](size_t lines) { data.records.reserve(lines); };
    const bool dataOpened = forEachLine(datPath, reserveRecords, [&](std::string_view line) {
        failed = !line.empty() && !readDataLine(line, data);
        return !failed;
    });
    if (!dataOpened || failed)
        return data;

    const auto resultPath = resultFilePath(datPath);
    const bool resultsOpened = resultPath && forEachLine(
                                                 *resultPath, [](size_t) {},
                                                 [&](std::string_view row) {
                                                     failed = startsWithDigit(row) && !readResultRow(row, data);
                                                     return !failed;
                                                 });
    if (!resultsOpened || failed)
        return data;
    data.complete = true;
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
