#include "view/curve_scale.h"

#include <cmath>

#include "common/format.h"

namespace klv {

namespace {
// Far outside any plot, yet safe to hand to integer drawing code.
constexpr double kPixelLimit = 1e6;
// Larger than any test runs, yet within a long long.
constexpr double kSecondsLimit = 1e15;
}  // namespace

int roundPixel(double v)
{
    if (!(v > -kPixelLimit))
        return static_cast<int>(-kPixelLimit);
    if (v > kPixelLimit)
        return static_cast<int>(kPixelLimit);
    return static_cast<int>(std::nearbyint(v));
}

double tickValue(float min, float max, int k) { return min + (static_cast<double>(max) - min) / kDivisions * k; }

std::string timeLabel(double seconds)
{
    double s = std::nearbyint(seconds);
    if (!(std::fabs(s) < kSecondsLimit))
        s = std::signbit(s) ? -kSecondsLimit : kSecondsLimit;
    return formatHms(static_cast<long long>(s));
}

std::string xLabel(double v, int xBarType)
{
    if (xBarType == 0)
        return timeLabel(v);
    return formatNumber(v, xBarType == kXBarVoltage ? "0.00" : "0");
}

std::string yLabel(double v) { return formatNumber(v, "0.00"); }

long long decimationStep(int n, int w)
{
    return static_cast<long long>(std::nearbyint(static_cast<double>(n) / (4.0 * w) + 1.0));
}

CurveMapping::CurveMapping(int w, int h, float minX, float maxX, const float minY[2], const float maxY[2])
        : h_(h), minX_(minX), sx_((static_cast<double>(maxX) - minX) / (w - kDataWidthMargin))
{
    for (int a = 0; a < 2; ++a) {
        minY_[a] = minY[a];
        sy_[a] = (static_cast<double>(maxY[a]) - minY[a]) / (h - kDataHeightMargin);
    }
}

int CurveMapping::px(float x) const { return roundPixel((x - minX_) / sx_) + kDataLeft; }

int CurveMapping::py(float y, int axis) const
{
    return h_ - (roundPixel((y - minY_[axis]) / sy_[axis]) + kDataBottomMargin);
}

}  // namespace klv
