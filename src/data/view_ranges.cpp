#include "data/view_ranges.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "view/curve_graph.h"

namespace klv {

namespace {

// To one decimal, halves to even, kept in single precision as the ranges are.
float tenths(double v) { return static_cast<float>(std::nearbyint(v * 10) / 10); }

void widen(float value, float& top, float& bottom)
{
    if (top == 0 && bottom == 0) {
        top = value;
        bottom = value;
    }
    if (value + 0.1 > top)
        top = tenths(value + 0.1);
    if (value <= 0.1)
        bottom = 0;
    else if (value - 0.1 < bottom)
        bottom = tenths(value - 0.1);
}

void finishAxis(CurveGraph& graph, int axis, float top, float bottom)
{
    const double span = static_cast<double>(top) - bottom;
    const long long r = std::llround(std::nearbyint(span / 0.05)) % 10;
    double high = top, low = bottom;
    if (r != 0 && bottom <= 0.5) {
        high = top + static_cast<double>(10 - r) * 0.05;
    } else if (r != 0) {
        high = top + static_cast<double>(10 - r) * 0.025;
        low = bottom - static_cast<double>(10 - r) * 0.025;
    }
    if (graph.MinY(axis) != static_cast<float>(low))
        graph.setMinY(axis, static_cast<float>(low));
    if (graph.MaxY(axis) != static_cast<float>(high))
        graph.setMaxY(axis, static_cast<float>(high));
}

}  // namespace

void ViewRanges::addX(double x)
{
    // Held to the int range: a damaged file may hold a capacity of any size.
    if (x > maxX)
        maxX = static_cast<int>(std::nearbyint(std::min(x, static_cast<double>(INT_MAX))));
}

void ViewRanges::addV(float v) { widen(v, maxV, minV); }

void ViewRanges::addI(float w) { widen(w, maxI, minI); }

void finishRanges(const ViewRanges& ranges, CurveGraph& graph)
{
    if (graph.MaxX() != static_cast<float>(ranges.maxX))
        graph.setMaxX(static_cast<float>(ranges.maxX));
    graph.setMinX(static_cast<float>(ranges.minX));
    finishAxis(graph, 0, ranges.maxV, ranges.minV);
    finishAxis(graph, 1, ranges.maxI, ranges.minI);
}

}  // namespace klv
