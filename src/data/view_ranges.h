#pragma once

namespace klv {

class CurveGraph;

// The viewer's running ranges: they widen by 0.1 around each value, the
// voltage pair for the left axis and the current pair for the right.
struct ViewRanges {
    float maxV = 0, minV = 0, maxI = 0, minI = 0;
    int maxX = 0, minX = 0;

    void addX(double x);
    void addV(float v);
    void addI(float w);
    void add(double x, float v, float w)
    {
        addX(x);
        addV(v);
        addI(w);
    }
};

// Writes the ranges to the graph, each axis stretched so that its span is a
// multiple of 0.5 and the ten divisions fall on multiples of 0.05.
void finishRanges(const ViewRanges& ranges, CurveGraph& graph);

}  // namespace klv
