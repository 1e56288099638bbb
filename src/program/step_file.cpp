#include "program/step_file.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/brand.h"
#include "common/screen_text.h"
#include "platform/text_file.h"
#include "program/step_program.h"

namespace klv {

namespace {

int digitAt(const std::string& line, size_t i)
{
    return i < line.size() && line[i] >= '0' && line[i] <= '9' ? line[i] - '0' : -1;
}

// Bytes of the UTF-8 character whose first byte is lead; a stray byte counts as one character.
size_t charLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

struct Record {
    int row = 0, column = 0;
    std::string text;
    bool placed = false;  // row 1..10 and column 1..5
};

// A line "RRC" + one character + text; nothing when its first four characters are no record.
std::optional<Record> parseRecord(const std::string& line)
{
    const int rowTens = digitAt(line, 0), rowUnits = digitAt(line, 1), column = digitAt(line, 2);
    // The three digits are one byte each, so four characters means at least four bytes.
    if (rowTens < 0 || rowUnits < 0 || column < 0 || line.size() < 4)
        return std::nullopt;
    Record record;
    record.row = rowTens * 10 + rowUnits;
    record.column = column;
    record.placed = record.row >= 1 && record.row <= kStepRows && column >= kColMode && column <= kColTimeCount;
    const size_t textStart = std::min(line.size(), 3 + charLength(static_cast<unsigned char>(line[3])));
    record.text = line.substr(textStart);
    return record;
}

void readRecord(const std::string& line, TextGrid& table)
{
    const auto record = parseRecord(line);
    if (record && record->placed)
        table.at(record->row, record->column) = record->text;
}

constexpr double kMaxCellNumber = 9999;

bool suitsColumn(const Record& record)
{
    if (record.text.empty())
        return true;
    if (record.column == kColMode)
        return stepModeCode(record.text) >= 0;
    const auto value = parseCellNumber(record.text);
    return value && *value >= 0 && *value <= kMaxCellNumber;
}

// Why a line after line 1 is no record the editor takes; empty when it is one, or empty.
std::string lineFault(const std::string& line)
{
    if (line.empty())
        return "";
    const auto record = parseRecord(line);
    if (!record || line[3] != ':')
        return screenText(KLV_TEXT("Message", "格式有误"));
    if (!record->placed)
        return record->row < 1 || record->row > kStepRows ? screenText(KLV_TEXT("Message", "工步超出1～10"))
                                                          : screenText(KLV_TEXT("Message", "列超出1～5"));
    return suitsColumn(*record) ? "" : screenText(KLV_TEXT("Message", "数值有误"));
}

}  // namespace

bool writeStepFile(const std::string& path, const TextGrid& table)
{
    std::vector<std::string> lines{kBannerLine};
    for (int r = 1; r <= kStepRows && !table.at(r, kColMode).empty(); ++r)
        for (int c = kColMode; c <= kColTimeCount; ++c)
            lines.push_back((r < 10 ? "0" : "") + std::to_string(r) + std::to_string(c) + ":" + table.at(r, c));
    return writeLines(path, lines);
}

bool readStepFile(const std::string& path, TextGrid& table)
{
    const auto lines = readLines(path);
    readStepLines(lines.value_or(std::vector<std::string>{}), table);
    return lines.has_value();
}

void readStepLines(const std::vector<std::string>& lines, TextGrid& table)
{
    clearSteps(table);
    for (size_t i = 1; i < lines.size(); ++i)
        readRecord(lines[i], table);
}

StepFileLoad loadStepFile(const std::string& path)
{
    StepFileLoad load{newStepTable(), ""};
    const auto lines = readLines(path);
    if (!lines) {
        load.fault = KLV_NOOP("Message", "工步文件无法读取");
        return load;
    }
    for (size_t i = 1; i < lines->size(); ++i) {
        const std::string fault = lineFault((*lines)[i]);
        if (!fault.empty()) {
            load.fault =
                fillIn(screenText(KLV_TEXT("Message", "工步文件第%1行有误：%2")), {std::to_string(i + 1), fault});
            load.table = newStepTable();
            return load;
        }
        readRecord((*lines)[i], load.table);
    }
    return load;
}

bool isStepFileName(const std::string& path)
{
    return path.size() >= 3 && path.compare(path.size() - 3, 3, "stp") == 0;
}

std::string stepFileSaveName(const std::string& path) { return isStepFileName(path) ? path : path + ".stp"; }

}  // namespace klv
