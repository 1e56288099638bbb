#include "labweb/bdf_csv.h"

#include <charconv>

#include "data/bdf_export.h"

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

std::string bdfHeader(bool unixTime)
{
    std::string header = kBdfHeader;
    if (unixTime)
        header.insert(header.find(",Cycle Count"), ",Unix Time / s");
    return header + "\n";
}

void appendBdfRow(std::string& out, const lab::SampleRow& s, bool unixTime)
{
    put(out, s.testTime);
    for (const double v : {s.voltage, s.current}) {
        out += ',';
        put(out, v);
    }
    if (unixTime) {
        out += ',';
        if (s.unixTime)
            put(out, *s.unixTime);
    }
    for (const int v : {s.cycleCount, s.stepCount, s.stepIndex}) {
        out += ',';
        put(out, v);
    }
    out += '\n';
}

}  // namespace klv
