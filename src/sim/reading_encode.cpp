#include "sim/reading_encode.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "link/frame.h"

namespace klv::sim {

namespace {
// Ranges as (offset of the range, steps per unit, last reading of the range).
struct Range {
    int offset;
    double perUnit;
    int last;
};

int encodeRanged(double value, std::initializer_list<Range> ranges)
{
    value = std::max(value, 0.0);
    for (const Range& r : ranges) {
        long n = std::lround(value * r.perUnit);
        if (r.offset + n <= r.last)
            return static_cast<int>(r.offset + n);
    }
    return kPairMax;
}
}  // namespace

int encodeTwoRange(double value) { return encodeRanged(value, {{0, 1000, 32767}, {32768, 100, kPairMax}}); }

int encodeThreeRange(double value)
{
    return encodeRanged(value, {{0, 1000, 32767}, {32768, 100, 53247}, {53248, 10, kPairMax}});
}

}  // namespace klv::sim
