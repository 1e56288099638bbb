#include "data/data_lines.h"

#include "common/brand.h"
#include "common/format.h"
#include "station.h"

namespace klv {

namespace {

constexpr const char* kSampleColumns = "Time(S)\tCur(A)\tVol(V)";
constexpr const char* kResultTitles = "循环\t步骤\t模式\t容量(Ah)\t能量(Wh)\t时间(S)";

// The device line and the channel line that open every file of a channel.
std::vector<std::string> channelLines(const Station& station, int slot)
{
    return {"设备:" + station.link.devices.at(deviceOfSlot(slot)).modelName, "通道:" + slotName(slot)};
}

std::string stepLine(const TextGrid& steps, int row)
{
    std::string line = "工步:" + std::to_string(row);
    for (int c = kColMode; c <= kColTimeCount; ++c)
        line += "\t" + steps.at(row, c);
    return line;
}

}  // namespace

std::vector<std::string> programHeaderLines(const Station& station, int slot)
{
    const TextGrid& steps = station.program.gridRun.at(slot);
    const int count = station.program.stepCount.at(slot);
    std::vector<std::string> lines = channelLines(station, slot);
    for (int row = 1; row <= count; ++row)
        lines.push_back(stepLine(steps, row));
    // The loop row that ended the program carries the loop count.
    if (count < kStepRows && !steps.at(count + 1, kColMode).empty())
        lines.push_back(stepLine(steps, count + 1));
    lines.push_back(kBannerLine);
    return lines;
}

std::vector<std::string> dataHeaderLines(const Station& station, int slot)
{
    std::vector<std::string> lines = programHeaderLines(station, slot);
    lines.push_back(kSampleColumns);
    return lines;
}

std::vector<std::string> resultHeaderLines(const Station& station, int slot)
{
    std::vector<std::string> lines = channelLines(station, slot);
    lines.push_back(kBannerLine);
    lines.push_back(kResultTitles);
    return lines;
}

void appendSampleLine(std::string& out, float seconds, float current, float voltage, int readingCurrentScale)
{
    const bool milliamps = readingCurrentScale == 1000;
    // Made in one buffer and appended at once; a reading beyond the fixed forms (none a unit
    // sends) takes the general route.
    char line[kShortTextRoom + 2 * kScaledRoom + 2];
    char* end = putShortText(line, seconds);
    *end++ = '\t';
    end = putScaled(end, current, milliamps ? 1 : 2, milliamps ? 3 : 2);
    if (end) {
        *end++ = '\t';
        end = putScaled(end, voltage, 1, 3);
    }
    if (end) {
        out.append(line, static_cast<size_t>(end - line));
        return;
    }
    appendShortText(out, seconds);
    out += '\t';
    appendNumber(out, current, milliamps ? 1 : 2, milliamps ? 3 : 2);
    out += '\t';
    appendNumber(out, voltage, 1, 3);
}

std::string sampleLine(float seconds, float current, float voltage, int readingCurrentScale)
{
    std::string line;
    appendSampleLine(line, seconds, current, voltage, readingCurrentScale);
    return line;
}

std::string resultLine(const TextGrid& gridList, int row)
{
    std::string line = gridList.at(row, 0);
    for (int c = 1; c < kResultColumns; ++c)
        line += "\t" + gridList.at(row, c);
    return line;
}

}  // namespace klv
