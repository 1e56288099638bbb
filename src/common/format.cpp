#include "common/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "version.h"

namespace klv {

std::string formatNumber(double v, const std::string& pattern)
{
    size_t point = pattern.find('.');
    int intDigits = static_cast<int>(point == std::string::npos ? pattern.size() : point);
    int decimals = point == std::string::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(v));
    std::string text = buf;
    size_t dot = text.find('.');
    int have = static_cast<int>(dot == std::string::npos ? text.size() : dot);
    if (have < intDigits)
        text.insert(0, static_cast<size_t>(intDigits - have), '0');
    bool allZero = text.find_first_not_of("0.") == std::string::npos;
    return (v < 0 && !allZero) ? "-" + text : text;
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

std::string shortText(float v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
    std::string text = buf;
    if (text == "-0")
        return "0";
    return text;
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
