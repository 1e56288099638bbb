#include "data/dqdv.h"

#include <algorithm>
#include <cmath>

namespace klv {

namespace {

struct VoltageGrid {
    double origin = 0, step = 0;
    std::vector<double> cells;  // Ah in each cell

    size_t cellOf(double v) const
    {
        const double k = std::floor((v - origin) / step);
        return std::min(cells.size() - 1, static_cast<size_t>(std::max(0.0, k)));
    }

    // Capacity taken while the voltage went from v0 to v1, shared by the cells it crossed.
    void spread(double v0, double v1, double ah)
    {
        const double low = std::min(v0, v1), high = std::max(v0, v1);
        const size_t first = cellOf(low), last = cellOf(high);
        if (first == last) {
            cells[first] += ah;
            return;
        }
        for (size_t c = first; c <= last; ++c) {
            const double left = origin + static_cast<double>(c) * step;
            const double overlap = std::min(high, left + step) - std::max(low, left);
            if (overlap > 0)
                cells[c] += ah * overlap / (high - low);
        }
    }
};

std::vector<double> smoothed(const std::vector<double>& cells, int halfWidth)
{
    const auto n = static_cast<long>(cells.size());
    std::vector<double> out(cells.size());
    for (long i = 0; i < n; ++i) {
        double sum = 0, weights = 0;
        for (long j = std::max(0L, i - halfWidth); j <= std::min(n - 1, i + halfWidth); ++j) {
            const double w = halfWidth + 1 - std::labs(j - i);
            sum += w * cells[static_cast<size_t>(j)];
            weights += w;
        }
        out[static_cast<size_t>(i)] = sum / weights;
    }
    return out;
}

}  // namespace

std::vector<DqDvPoint> dqdv(const std::vector<std::vector<LoadedRecord>>& runs, double grid, int smoothing)
{
    float low = 0, high = 0;
    bool any = false;
    for (const auto& run : runs)
        for (const LoadedRecord& r : run) {
            low = any ? std::min(low, r.voltage) : r.voltage;
            high = any ? std::max(high, r.voltage) : r.voltage;
            any = true;
        }
    if (!any || grid <= 0)
        return {};
    VoltageGrid g;
    g.step = grid;
    g.origin = std::floor(low / grid) * grid;
    g.cells.assign(static_cast<size_t>(std::floor((high - g.origin) / grid)) + 1, 0.0);
    bool counted = false;
    for (const auto& run : runs)
        for (size_t k = 1; k < run.size(); ++k) {
            const LoadedRecord &a = run[k - 1], &b = run[k];
            const double ah = (std::fabs(a.current) + std::fabs(b.current)) / 2 * (b.seconds - a.seconds) / 3600;
            if (ah <= 0)
                continue;
            g.spread(a.voltage, b.voltage, ah);
            counted = true;
        }
    if (!counted)
        return {};
    const std::vector<double> cells = smoothed(g.cells, std::max(0, smoothing));
    std::vector<DqDvPoint> points(cells.size());
    for (size_t c = 0; c < cells.size(); ++c)
        points[c] = {g.origin + (static_cast<double>(c) + 0.5) * grid, cells[c] / grid};
    return points;
}

}  // namespace klv
