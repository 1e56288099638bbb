#include "data/test_cell.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "common/format.h"
#include "common/screen_text.h"
#include "platform/file_replacement.h"
#include "platform/text_file.h"

namespace klv {

namespace {

constexpr const char* kIdKey = "id=";
constexpr const char* kNominalKey = "nominal_ah=";

std::optional<double> positiveNumber(const std::string& text)
{
    double v = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (failure != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || v <= 0)
        return std::nullopt;
    return v;
}

// Characters, not bytes: a Chinese character counts once.
int characterCount(const std::string& utf8)
{
    int n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::optional<TestCell> parseCell(const std::string& text, std::string& error)
{
    TestCell cell;
    const size_t colon = text.rfind(':');
    cell.id = text.substr(0, colon);
    if (colon != std::string::npos) {
        cell.nominalAh = positiveNumber(text.substr(colon + 1));
        if (!cell.nominalAh) {
            error =
                fillIn(screenText(KLV_TEXT("Cell", "电芯标称容量应为大于 0 的数 (Ah): %1")), {text.substr(colon + 1)});
            return std::nullopt;
        }
    }
    const int characters = characterCount(cell.id);
    if (characters < 1 || characters > kCellIdMaxCharacters) {
        error = fillIn(screenText(KLV_TEXT("Cell", "电芯编号应为 1 到 %1 个字符: %2")),
                       {std::to_string(kCellIdMaxCharacters), cell.id});
        return std::nullopt;
    }
    for (const char c : cell.id)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            error = screenText(KLV_TEXT("Cell", "电芯编号不能含控制字符"));
            return std::nullopt;
        }
    return cell;
}

std::string cellFilePath(const std::string& base) { return base + ".cell"; }

std::string baseOfDataFile(const std::string& datPath)
{
    const size_t dot = datPath.rfind('.');
    const size_t slash = datPath.rfind('/');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? datPath : datPath.substr(0, dot);
}

bool recordCell(const std::string& base, const TestCell& cell)
{
    const std::string path = cellFilePath(base);
    if (cell.id.empty())
        return !fileExists(path) || removeFile(path);
    std::string text = kIdKey + cell.id + "\n";
    if (cell.nominalAh)
        text += kNominalKey + exactText(*cell.nominalAh) + "\n";
    return replaceFile(path, text);
}

TestCell recordedCell(const std::string& base)
{
    TestCell cell;
    for (const std::string& line : readRawLines(cellFilePath(base)).value_or(std::vector<std::string>{})) {
        if (line.starts_with(kIdKey))
            cell.id = line.substr(std::strlen(kIdKey));
        else if (line.starts_with(kNominalKey))
            cell.nominalAh = positiveNumber(line.substr(std::strlen(kNominalKey)));
    }
    return cell;
}

}  // namespace klv
