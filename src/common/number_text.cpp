#include "common/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace klv {

std::optional<double> parseCellNumber(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::nullopt;
    const char* first = text.data() + begin;
    const char* last = text.data() + text.find_last_not_of(" \t") + 1;
    const bool negative = *first == '-';
    if (*first == '-' || *first == '+')
        ++first;
    // A digit or point must follow, so "inf", "nan" and doubled signs are no numbers.
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return negative ? -value : value;
}

int cellInteger(const std::string& text)
{
    const double value = std::round(parseCellNumber(text).value_or(0.0));
    return static_cast<int>(std::clamp(value, -32768.0, 32767.0));
}

float toSingle(double value)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -kMax, kMax));
}

}  // namespace klv
