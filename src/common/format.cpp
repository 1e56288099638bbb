#include "common/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "version.h"

namespace klv {

namespace {

// Numbers are made in a buffer and appended at once: a data file writes millions of them, and
// appending them a character at a time was most of its writing.
constexpr int kMostDigits = 20;  // of an unsigned 64-bit number

// The digits of n written backwards ending at end, at least atLeast of them (up to kMostDigits);
// where they begin.
char* digitsBefore(char* end, unsigned long long n, int atLeast)
{
    char* p = end;
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (end - p < std::min(atLeast, kMostDigits))
        *--p = '0';
    return p;
}

char* putDigits(char* at, unsigned long long n)
{
    char digits[kMostDigits];
    char* const end = digits + kMostDigits;
    const char* const first = digitsBefore(end, n, 1);
    return std::copy(first, static_cast<const char*>(end), at);
}

}  // namespace

// The fixed-point text of v without a general conversion, when v scaled by 10^decimals is an
// exact double of fewer than 53 bits, as every single-precision reading is up to three decimals:
// rounding that exact value half to even is what printf does.
char* putScaled(char* at, double v, int intDigits, int decimals)
{
    static constexpr double kTens[] = {1, 10, 100, 1000};
    if (decimals < 0 || decimals > 3 || intDigits > kMostDigits || !std::isfinite(v))
        return nullptr;
    const double scaled = std::fabs(v) * kTens[decimals];
    // A single-precision value has 24 bits and 10^3 needs 7 beyond its powers of two: their
    // product is exact without asking.
    const bool single = static_cast<double>(static_cast<float>(v)) == v;
    if (scaled >= 9007199254740992.0 || (!single && std::fma(std::fabs(v), kTens[decimals], -scaled) != 0))
        return nullptr;
    auto n = static_cast<unsigned long long>(std::nearbyint(scaled));
    if (v < 0 && n != 0)
        *at++ = '-';
    // The decimals first, backwards, then the whole part before the point.
    char text[kMostDigits + 4];
    char* const end = text + sizeof text;
    char* p = end;
    for (int d = 0; d < decimals; ++d) {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (decimals > 0)
        *--p = '.';
    const char* const first = digitsBefore(p, n, std::max(intDigits, 1));
    return std::copy(first, static_cast<const char*>(end), at);
}

char* putShortText(char* at, float v)
{
    // Whole numbers below ten million, the times of a data file, read as plain integers in this form.
    if (v == std::trunc(v) && std::fabs(v) < 1e7f) {
        if (v < 0)
            *at++ = '-';
        return putDigits(at, static_cast<unsigned long long>(std::fabs(v)));
    }
    const auto written = std::to_chars(at, at + kShortTextRoom, static_cast<double>(v), std::chars_format::general, 7);
    if (written.ptr - at == 2 && at[0] == '-' && at[1] == '0') {
        at[0] = '0';
        return at + 1;
    }
    return written.ptr;
}

void appendNumber(std::string& out, double v, int intDigits, int decimals)
{
    char scaled[kScaledRoom];
    if (const char* end = putScaled(scaled, v, intDigits, decimals)) {
        out.append(scaled, static_cast<size_t>(end - scaled));
        return;
    }
    // to_chars with a precision writes what printf("%.*f") writes, without the locale and the copies.
    char buf[400];
    const auto written = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, decimals);
    const std::string_view text(buf, static_cast<size_t>(written.ptr - buf));
    const size_t dot = text.find('.');
    const int have = static_cast<int>(dot == std::string_view::npos ? text.size() : dot);
    const bool allZero = text.find_first_not_of("0.") == std::string_view::npos;
    if (v < 0 && !allZero)
        out += '-';
    if (have < intDigits)
        out.append(static_cast<size_t>(intDigits - have), '0');
    out += text;
}

std::string formatNumber(double v, const std::string& pattern)
{
    size_t point = pattern.find('.');
    int intDigits = static_cast<int>(point == std::string::npos ? pattern.size() : point);
    int decimals = point == std::string::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
    std::string text;
    appendNumber(text, v, intDigits, decimals);
    return text;
}

std::string fmt0_000(double v) { return formatNumber(v, "0.000"); }
std::string fmt00_00(double v) { return formatNumber(v, "00.00"); }
std::string fmt000_0(double v) { return formatNumber(v, "000.0"); }

std::string formatHms(long long seconds)
{
    long long s = std::llabs(seconds);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", seconds < 0 ? "-" : "", s / 3600, (s / 60) % 60, s % 60);
    return buf;
}

void appendShortText(std::string& out, float v)
{
    char text[kShortTextRoom];
    out.append(text, static_cast<size_t>(putShortText(text, v) - text));
}

std::string shortText(float v)
{
    std::string text;
    appendShortText(text, v);
    return text;
}

std::string exactText(double v)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

std::string dateStamp(const LocalDateTime& t)
{
    return std::to_string(t.year) + std::to_string(t.month) + std::to_string(t.day);
}

std::string dateTimeStamp(const LocalDateTime& t)
{
    return dateStamp(t) + "-" + std::to_string(t.hour) + std::to_string(t.minute) + std::to_string(t.second);
}

std::string logDate(const LocalDateTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buf;
}

std::string logTime(const LocalDateTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::string logLine(const LocalDateTime& t, const std::string& message, const std::string& failure)
{
    return logDate(t) + " " + logTime(t) + " V" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           "." + std::to_string(kVersionRevision) + ":[" + message + "]" + failure;
}

}  // namespace klv
