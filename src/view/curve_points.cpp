#include "view/curve_points.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace klv {

void CurvePoints::push_back(CurvePoint p)
{
    if (count_ == INT_MAX)
        throw std::length_error("curve point count exhausted");
    if (static_cast<std::size_t>(count_) == capacity())
        blocks_.push_back(std::make_unique_for_overwrite<CurvePoint[]>(kBlockSize));
    (*this)[count_] = p;
    ++count_;
}

void CurvePoints::copyTo(std::vector<CurvePoint>& out) const
{
    out.reserve(out.size() + static_cast<std::size_t>(count_));
    for (int first = 0; first < count_; first += kBlockSize) {
        const CurvePoint* block = blocks_[static_cast<std::size_t>(first >> kBlockShift)].get();
        out.insert(out.end(), block, block + std::min(kBlockSize, count_ - first));
    }
}

void CurvePoints::clear()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    count_ = 0;
}

}  // namespace klv
