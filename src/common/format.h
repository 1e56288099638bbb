#pragma once

#include <string>

#include "platform/clock.h"

namespace klv {

// "0.000": three decimals.
std::string fmt0_000(double v);
// "00.00": at least two integer digits and two decimals.
std::string fmt00_00(double v);
// "000.0": at least three integer digits and one decimal.
std::string fmt000_0(double v);
// A number pattern of zeros with an optional point ("0", "0.0", "00.00", ...).
std::string formatNumber(double v, const std::string& pattern);
// The number of a pattern of intDigits zeros, a point and decimals zeros, appended to out:
// a data file formats millions of numbers.
void appendNumber(std::string& out, double v, int intDigits, int decimals);
// "hh:mm:ss", hours counted on past 23 (90061 s reads 25:01:01).
std::string formatHms(long long seconds);
// Shortest text of a single-precision value: up to seven significant digits (3.42, 119.354, 12).
std::string shortText(float v);
void appendShortText(std::string& out, float v);
// Shortest text that reads back as exactly this double (2.5, 0.1, 1e-05).
std::string exactText(double v);

// The same two texts written at `at` for lines made by the million, returning their end.
// putScaled writes at most kScaledRoom characters, and nothing (returning null) where appendNumber
// takes the general conversion: beyond three decimals or 53 bits, or more than 20 integer digits.
constexpr int kScaledRoom = 28;
constexpr int kShortTextRoom = 40;
char* putScaled(char* at, double v, int intDigits, int decimals);
char* putShortText(char* at, float v);
// Year, month and day as plain integers (2024312), and the same with "-" and hour, minute, second (2024312-93005).
std::string dateStamp(const LocalDateTime& t);
std::string dateTimeStamp(const LocalDateTime& t);
// The error log's date and time texts.
std::string logDate(const LocalDateTime& t);
std::string logTime(const LocalDateTime& t);
// An error-log line: date, blank, time, " V", version, ":[", message, "]", failure description.
std::string logLine(const LocalDateTime& t, const std::string& message, const std::string& failure);

}  // namespace klv
