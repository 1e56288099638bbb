#pragma once

#include <optional>
#include <string>

namespace klv {

// The cell a test runs on, as the operator names it: an ID of 1 to 64 characters and, when
// known, its nominal capacity. An empty ID: the test names no cell.
struct TestCell {
    std::string id;
    std::optional<double> nominalAh;  // > 0
    bool operator==(const TestCell&) const = default;
};

inline constexpr int kCellIdMaxCharacters = 64;

// "ID" or "ID:NOMINAL" (Ah), as the command line and the start field take it; nothing with the
// reason, in the operator's language, when it does not read so.
std::optional<TestCell> parseCell(const std::string& text, std::string& error);

// The cell file beside a file set: base + ".cell" for base.dat or the backups of base.
std::string cellFilePath(const std::string& base);
// The data file's base: its path without the last extension.
std::string baseOfDataFile(const std::string& datPath);
// Writes the cell file, or removes a stale one when the test names no cell; false when the
// disk refused.
bool recordCell(const std::string& base, const TestCell& cell);
// The cell beside base; no cell when there is no readable file.
TestCell recordedCell(const std::string& base);

}  // namespace klv
