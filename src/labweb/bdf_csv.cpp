#include "labweb/bdf_csv.h"

#include <charconv>

namespace klv {

namespace {

// Shortest exact digits, never an exponent: 1700000000 stays 1700000000, not 1.7e+09.
void put(std::string& out, double value)
{
    char buf[400];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed).ptr);
}

void put(std::string& out, int value) { out += std::to_string(value); }

}  // namespace

std::string bdfHeader()
{
    return "Test Time / s,Voltage / V,Current / A,Unix Time / s,Cycle Count / 1,Step Count / 1,Step Index / 1\n";
}

void appendBdfRow(std::string& out, const lab::SampleRow& s)
{
    for (const double v : {s.testTime, s.voltage, s.current}) {
        put(out, v);
        out += ',';
    }
    if (s.unixTime)
        put(out, *s.unixTime);
    for (const int v : {s.cycleCount, s.stepCount, s.stepIndex}) {
        out += ',';
        put(out, v);
    }
    out += '\n';
}

}  // namespace klv
