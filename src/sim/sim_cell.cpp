#include "sim/sim_cell.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace klv::sim {

namespace {
struct CurvePoint {
    double soc, volts;
};
// A typical Li-ion open-circuit curve; beyond both ends it goes on along the
// end segments, so an over-discharged or overcharged cell always reaches any limit.
constexpr std::array<CurvePoint, 11> kCurve{{
    {0.00, 3.00},
    {0.02, 3.30},
    {0.05, 3.45},
    {0.10, 3.55},
    {0.20, 3.63},
    {0.40, 3.72},
    {0.60, 3.85},
    {0.80, 4.00},
    {0.90, 4.08},
    {1.00, 4.20},
    {1.05, 4.50},
}};

double interpolate(const CurvePoint& a, const CurvePoint& b, double soc)
{
    return a.volts + (b.volts - a.volts) * (soc - a.soc) / (b.soc - a.soc);
}
}  // namespace

double SimCell::openCircuitVoltage() const
{
    auto upper = std::upper_bound(kCurve.begin() + 1, kCurve.end() - 1, stateOfCharge,
                                  [](double soc, const CurvePoint& p) { return soc < p.soc; });
    return series * interpolate(*(upper - 1), *upper, stateOfCharge);
}

SimCell cellForModel(const ModelRow& row)
{
    SimCell cell;
    cell.capacityAh = std::max(2.0, static_cast<double>(row.maxCurrent) / 2);
    cell.resistanceOhm = 0.1 / cell.capacityAh;  // bigger cells, lower resistance
    cell.series = std::max(1, static_cast<int>(std::floor(row.maxVoltage / 4.5f)));
    return cell;
}

}  // namespace klv::sim
