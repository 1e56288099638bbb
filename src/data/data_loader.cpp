#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string_view>

#include "data/data_file.h"
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
// fields are not seen), and the last field, everything after the last TAB.
struct TabFields {
    std::string_view lead;
    std::vector<std::string_view> runs;
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
        fields.runs.push_back(text.substr(start, pos - start));
    }
    return fields;
}

// A whole number from decimal text, halves going to the even neighbour (12.5 reads 12).
std::optional<int> parseWhole(std::string_view text)
{
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
    if (!number || *number < 1 || *number > kStepRows || fields.runs.size() < 5 || fields.last.empty())
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
    if (fields.runs.size() < 2)
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
    const bool longEnough = characterCount(line) >= kShortestLabelLine;
    if (line.starts_with(kDeviceLabel)) {
        if (longEnough)
            data.deviceLabel = line.substr(kDeviceLabel.size());
    } else if (line.starts_with(kChannelLabel)) {
        if (longEnough) {
            data.channelLabel = line.substr(kChannelLabel.size());
            data.title = data.deviceLabel + " " + data.channelLabel;
        }
    } else if (line.starts_with(kStepLabel)) {
        if (longEnough)
            return readStepLine(line.substr(kStepLabel.size()), data);
    } else if (startsWithDigit(line)) {
        return readRecordLine(line, data);
    }
    return true;
}

bool readResultRow(std::string_view line, LoadedData& data)
{
    const TabFields fields = scanTabs(line);
    if (fields.runs.size() < 5 || fields.last.empty())
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
    const auto lines = readLines(datPath);
    if (!lines)
        return data;
    for (const std::string& line : *lines)
        if (!line.empty() && !readDataLine(line, data))
            return data;

    const auto resultPath = resultFilePath(datPath);
    const auto rows = resultPath ? readLines(*resultPath) : std::nullopt;
    if (!rows)
        return data;
    for (const std::string& row : *rows)
        if (startsWithDigit(row) && !readResultRow(row, data))
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
