#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace klv {

struct CurvePoint {
    float x = 0, y = 0;
};

// The points of one curve, in fixed blocks: appending never moves the points
// already stored, so a curve that grows for days costs constant time per point
// and wastes at most one block.
class CurvePoints {
public:
    static constexpr int kBlockShift = 12;
    static constexpr int kBlockSize = 1 << kBlockShift;

    // Throws std::length_error when the 32-bit count is exhausted.
    void push_back(CurvePoint p);
    // Appends the points to out, a block at a time.
    void copyTo(std::vector<CurvePoint>& out) const;
    // Empties the curve and returns its memory.
    void clear();
    int size() const { return count_; }
    std::size_t capacity() const { return blocks_.size() * static_cast<std::size_t>(kBlockSize); }
    // Unchecked; the graph checks indexes before it gets here.
    CurvePoint& operator[](int i) { return blocks_[static_cast<std::size_t>(i >> kBlockShift)][i & (kBlockSize - 1)]; }
    const CurvePoint& operator[](int i) const
    {
        return blocks_[static_cast<std::size_t>(i >> kBlockShift)][i & (kBlockSize - 1)];
    }

private:
    std::vector<std::unique_ptr<CurvePoint[]>> blocks_;
    int count_ = 0;
};

}  // namespace klv
