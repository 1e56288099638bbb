#pragma once

#include <optional>
#include <string>

namespace klv {

// A cell or field holding a decimal real ("1.5", " -2 ", "+.5", "1e2"); nothing when it holds no number.
std::optional<double> parseCellNumber(const std::string& text);
// The nearest whole number of a cell, 0 when it holds no number, held to the 16-bit range.
int cellInteger(const std::string& text);
// A real narrowed to single precision without leaving the single range.
float toSingle(double value);

}  // namespace klv
