// Drawing of the curve graph: grid, axes, labels and decimated curves as
// primitive operations on the graph's surface.
#include <algorithm>
#include <stdexcept>

#include "view/curve_graph.h"
#include "view/curve_scale.h"

namespace klv {

namespace {
// Keeps the last grid line despite rounding in the accumulated steps.
constexpr double kGridMargin = 0.0001;
constexpr int kLabelGapLeft = 34;  // Y labels end here on the left, start at W − 34 on the right
constexpr int kAxisOffset = 45;    // axes sit 5 pixels outside the data rectangle
constexpr int kTickLength = 6;
constexpr int kXLabelDrop = 38;  // X labels hang below H − 38 by half their height
constexpr int kBrandInset = 15;
constexpr int kBrandTop = 45;
}  // namespace

void CurveGraph::Initialize_DrawCurve() { surface_->initialize(width_, height_); }

void CurveGraph::line(int x1, int y1, int x2, int y2)
{
    surface_->moveTo(x1, y1);
    surface_->lineTo(x2, y2);
}

void CurveGraph::text(double x, double y, const std::string& s, int color)
{
    surface_->drawText(roundPixel(x), roundPixel(y), s, color, backColor_);
}

void CurveGraph::DrawGrid()
{
    const int W = width_, H = height_;
    surface_->fillRect(0, 0, W, H, backColor_);
    surface_->setPen(kPenSolid, 1, axesColor_);
    line(kAxisOffset, kDataTop, kAxisOffset, H - kDataBottomMargin);
    line(kDataLeft, H - kAxisOffset, W - kDataLeft, H - kAxisOffset);
    if (showAxesY1_)
        line(W - kAxisOffset, H - kDataBottomMargin, W - kAxisOffset, kDataTop);
    drawXAxis();
    drawYAxis(0, false);
    if (showAxesY1_)
        drawYAxis(1, true);
    drawGridLines(gridType2_, 0.5);
    drawGridLines(gridType1_, 0);
    TextExtent e = surface_->measureText(kBrandMark);
    text(W - kDataLeft - e.w - kBrandInset, kBrandTop, kBrandMark, gridColor_);
}

void CurveGraph::drawXAxis()
{
    const double dx = (width_ - kDataWidthMargin) / static_cast<double>(kDivisions);
    const int H = height_;
    for (int k = 0; k <= kDivisions; ++k) {
        std::string label = xLabel(tickValue(minX_, maxX_, k), xBarType_);
        TextExtent e = surface_->measureText(label);
        text(dx * k + kDataLeft - e.w / 2.0, H - kXLabelDrop + e.h / 2.0, label, axesColor_);
        int x = roundPixel(dx * k + kDataLeft);
        line(x, H - kAxisOffset, x, H - kAxisOffset + kTickLength);
    }
}

void CurveGraph::drawYAxis(int axis, bool right)
{
    const double dy = (height_ - kDataHeightMargin) / static_cast<double>(kDivisions);
    const int W = width_, H = height_;
    const int axisX = right ? W - kAxisOffset : kAxisOffset;
    const int tickEnd = right ? axisX + kTickLength : axisX - kTickLength;
    // A right label wider than its margin (a percentage over 100) moves in rather than off the edge.
    auto textLeft = [&](const TextExtent& e) {
        return right ? std::min(W - kLabelGapLeft, W - e.w) : kLabelGapLeft - e.w;
    };
    for (int k = 0; k <= kDivisions; ++k) {
        double yk = H - kDataBottomMargin - dy * k;
        std::string label = yLabel(tickValue(minY_[axis], maxY_[axis], k));
        TextExtent e = surface_->measureText(label);
        text(textLeft(e), yk - e.h / 2.0, label, axesColor_);
        line(axisX, roundPixel(yk), tickEnd, roundPixel(yk));
    }
    // The caption sits half a division above the top label.
    const std::string caption = right ? axesText1_ : axesText_;
    TextExtent e = surface_->measureText(caption);
    text(textLeft(e), H - kDataBottomMargin - dy * (kDivisions + 0.5) - e.h / 2.0, caption, axesColor_);
}

// Grid lines across and down the data rectangle, starting offset divisions in
// from its bottom and left edges. Counting the lines bounds the loop even when
// the plot is too small to have divisions.
void CurveGraph::drawGridLines(int style, double offset)
{
    const int W = width_, H = height_;
    const double dx = (W - kDataWidthMargin) / static_cast<double>(kDivisions);
    const double dy = (H - kDataHeightMargin) / static_cast<double>(kDivisions);
    surface_->setPen(style, 1, gridColor_);
    for (int k = 0; k <= kDivisions; ++k) {
        double y = H - kDataBottomMargin - dy * offset - k * (dy - kGridMargin);
        if (y < kDataTop)
            break;
        line(kDataLeft, roundPixel(y), W - kDataLeft, roundPixel(y));
    }
    for (int k = 0; k <= kDivisions; ++k) {
        double x = kDataLeft + dx * offset + k * (dx - kGridMargin);
        if (x > W - kDataLeft)
            break;
        line(roundPixel(x), H - kDataBottomMargin, roundPixel(x), kDataTop);
    }
}

void CurveGraph::DrawCurve()
{
    DrawGrid();
    drawCurves(line_);
}

void CurveGraph::DrawCurveEx() { drawCurves(1); }

bool CurveGraph::hasDataArea() const { return width_ > kDataWidthMargin && height_ > kDataHeightMargin; }

void CurveGraph::checkRanges() const
{
    for (const Curve& c : curves_) {
        if (!c.show || c.points.size() == 0)
            continue;
        if (maxX_ == minX_ || maxY_[c.axis] == minY_[c.axis])
            throw std::domain_error("division by zero: empty range on a drawn curve");
    }
}

void CurveGraph::drawCurves(int penWidth)
{
    checkRanges();
    // A plot too small for a data rectangle shows its legends but no curves.
    if (hasDataArea()) {
        CurveMapping map(width_, height_, minX_, maxX_, minY_, maxY_);
        for (const Curve& c : curves_)
            if (c.show)
                drawPoints(c, map, penWidth);
    }
    for (size_t k = 0; k < curves_.size(); ++k) {
        if (!curves_[k].show)
            continue;
        legends_[k].label.visible = curves_[k].showLegend;
        raise(legends_[k].label);
    }
    surface_->copyToScreen();
}

// Every step-th point, and always the last: a curve of any length costs about
// 4 × W segments.
void CurveGraph::drawPoints(const Curve& c, const CurveMapping& map, int penWidth)
{
    const CurvePoints& p = c.points;
    const int n = p.size();
    if (n < 1)
        return;
    surface_->setPen(kPenSolid, penWidth, c.color);
    surface_->moveTo(map.px(p[0].x), map.py(p[0].y, c.axis));
    const long long step = decimationStep(n, width_);
    long long last = 0;
    for (long long i = 1; i <= n - 1; i += step) {
        const CurvePoint& q = p[static_cast<int>(i)];
        surface_->lineTo(map.px(q.x), map.py(q.y, c.axis));
        last = i;
    }
    if (last != n - 1)
        surface_->lineTo(map.px(p[n - 1].x), map.py(p[n - 1].y, c.axis));
}

void CurveGraph::ClearAll()
{
    for (Curve& c : curves_)
        c.points.clear();
    Initialize_DrawCurve();
    DrawGrid();
    surface_->copyToScreen();
}

}  // namespace klv
