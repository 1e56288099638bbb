#include "data/dqdv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace klv;

namespace {

constexpr float kPlateau = 3.655f;

// 1 A for 1600 s, one record a second: a slope from 4.0 V to the plateau, 1000 s on it, a slope
// down to 3.0 V; a charge is the same records backwards in voltage.
std::vector<LoadedRecord> plateauRun(bool charge)
{
    std::vector<LoadedRecord> run;
    for (int s = 0; s <= 1600; ++s) {
        const float v = s < 300    ? 4.0f - (4.0f - kPlateau) * static_cast<float>(s) / 300
                        : s < 1300 ? kPlateau
                                   : kPlateau - (kPlateau - 3.0f) * static_cast<float>(s - 1300) / 300;
        run.push_back({s, charge ? 0.5f : 1.0f, charge ? 7.0f - v : v});
    }
    return run;
}

}  // namespace

TEST(DqDvTest, APlateauIsThePeakAtEverySmoothingAndTheCurveHoldsTheWholeCapacity)
{
    for (const bool charge : {false, true}) {
        const std::vector<LoadedRecord> run = plateauRun(charge);
        const double plateau = charge ? 7.0 - kPlateau : kPlateau;
        const double ah = (charge ? 0.5 : 1.0) * 1600 / 3600;
        for (const int smoothing : {kDqDvSmoothing, 2 * kDqDvSmoothing}) {
            const std::vector<DqDvPoint> curve = dqdv({run}, kDqDvGrid, smoothing);
            ASSERT_FALSE(curve.empty());
            const auto peak = std::max_element(
                curve.begin(), curve.end(), [](const DqDvPoint& a, const DqDvPoint& b) { return a.value < b.value; });
            EXPECT_NEAR(peak->voltage, plateau, kDqDvGrid / 2 + 1e-6) << charge << " " << smoothing;
            double area = 0;
            for (const DqDvPoint& p : curve)
                area += p.value * kDqDvGrid;
            EXPECT_NEAR(area, ah, ah * 0.02) << charge << " " << smoothing;
            // Far from the plateau only the slopes' capacity: 300 s over 0.345 V or 0.655 V.
            EXPECT_LT(curve.front().value * 10, peak->value);
        }
    }
    // Two rows of one cycle: the time between them carries no capacity.
    std::vector<LoadedRecord> first = plateauRun(false), second = first;
    for (LoadedRecord& r : second)
        r.seconds += 5000;
    double both = 0;
    for (const DqDvPoint& p : dqdv({first, second}))
        both += p.value * kDqDvGrid;
    EXPECT_NEAR(both, 2 * 1600.0 / 3600, 0.02);
    EXPECT_TRUE(dqdv({{{0, 1, 3.7f}}}).empty());
}
