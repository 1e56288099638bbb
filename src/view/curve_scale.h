#pragma once

#include <string>

namespace klv {

// Plot geometry in pixels of a W × H plot: the data rectangle runs from
// x = 50 to W − 50 and from y = 40 (top) to H − 50 (bottom).
inline constexpr int kDataLeft = 50;
inline constexpr int kDataTop = 40;
inline constexpr int kDataBottomMargin = 50;
inline constexpr int kDataWidthMargin = 100;  // W − 100 pixels of data across
inline constexpr int kDataHeightMargin = 90;  // H − 90 pixels of data down
inline constexpr int kDivisions = 10;

// To nearest, halves to even, kept within a range every surface can take.
int roundPixel(double v);

// Tick k (0..10) of a range split in ten divisions.
double tickValue(float min, float max, int k);
// Seconds as "hh:mm:ss", hours counted on past 24 (90000 s reads 25:00:00).
std::string timeLabel(double seconds);
// An X label: a time when xBarType is 0, a voltage to two decimals when it is 2, otherwise a
// whole number.
inline constexpr int kXBarVoltage = 2;
std::string xLabel(double v, int xBarType);
// A Y label: always two decimals.
std::string yLabel(double v);

// Points skipped between drawn points so that a curve of n points across a
// plot w pixels wide draws about 4 × w segments.
long long decimationStep(int n, int w);

// Maps data to plot pixels for one drawing; units per pixel are taken from the
// ranges and the plot size at construction.
class CurveMapping {
public:
    CurveMapping(int w, int h, float minX, float maxX, const float minY[2], const float maxY[2]);
    int px(float x) const;
    int py(float y, int axis) const;

private:
    int h_;
    double minX_, sx_;
    double minY_[2], sy_[2];
};

}  // namespace klv
