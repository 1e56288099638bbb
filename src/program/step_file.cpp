#include "program/step_file.h"

#include <algorithm>
#include <vector>

#include "common/brand.h"
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

void readRecord(const std::string& line, TextGrid& table)
{
    const int rowTens = digitAt(line, 0), rowUnits = digitAt(line, 1), column = digitAt(line, 2);
    // The three digits are one byte each, so four characters means at least four bytes.
    if (rowTens < 0 || rowUnits < 0 || column < 0 || line.size() < 4)
        return;
    const int row = rowTens * 10 + rowUnits;
    if (row < 1 || row > kStepRows || column < kColMode || column > kColTimeCount)
        return;
    const size_t textStart = std::min(line.size(), 3 + charLength(static_cast<unsigned char>(line[3])));
    table.at(row, column) = line.substr(textStart);
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
    clearSteps(table);
    const auto lines = readLines(path);
    if (!lines)
        return false;
    for (size_t i = 1; i < lines->size(); ++i)
        readRecord((*lines)[i], table);
    return true;
}

bool isStepFileName(const std::string& path)
{
    return path.size() >= 3 && path.compare(path.size() - 3, 3, "stp") == 0;
}

std::string stepFileSaveName(const std::string& path) { return isStepFileName(path) ? path : path + ".stp"; }

}  // namespace klv
