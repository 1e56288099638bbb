#include "view/curve_graph.h"

#include <algorithm>
#include <stdexcept>

namespace klv {

namespace {

CurveSurface& nullSurface()
{
    static NullCurveSurface none;
    return none;
}

// Legend outlines are drawn in the inverse of the plot background so that they show on any background.
int inverseColor(int color) { return 0xFFFFFF - (color & 0xFFFFFF); }

constexpr float kLegendRightInset = 100;
constexpr float kLegendTop = 70;
constexpr float kLegendGap = 5;
constexpr float kTitleTop = 10;

}  // namespace

CurveGraph::CurveGraph() : surface_(&nullSurface())
{
    title_.caption = "ZA Zoveda Zorerava";
    title_.top = kTitleTop;
    title_.visible = true;
    setCurveCount(2);
    setTitleText(title_.caption);
}

void CurveGraph::setSurface(CurveSurface* surface)
{
    surface_ = surface ? surface : &nullSurface();
    for (CurveLegend& l : legends_) {
        measure(l.label);
        fitOutline(l);
    }
    measure(title_);
    title_.left = (static_cast<float>(width_) - title_.width) / 2;
}

// ---- indexes

void CurveGraph::checkCurve(int index) const
{
    if (index < 0 || index >= CurveCount())
        throw std::out_of_range("curve index " + std::to_string(index));
}

CurveGraph::Curve& CurveGraph::curve(int index)
{
    checkCurve(index);
    return curves_[static_cast<size_t>(index)];
}

const CurveGraph::Curve& CurveGraph::curve(int index) const
{
    checkCurve(index);
    return curves_[static_cast<size_t>(index)];
}

CurveLegend& CurveGraph::legendOf(int index)
{
    checkCurve(index);
    return legends_[static_cast<size_t>(index)];
}

void CurveGraph::checkPoint(const Curve& c, int i)
{
    if (i < 0 || i >= c.points.size())
        throw std::out_of_range("point index " + std::to_string(i));
}

void CurveGraph::checkAxis(int axis)
{
    if (axis != 0 && axis != 1)
        throw std::out_of_range("axis index " + std::to_string(axis));
}

// ---- points

void CurveGraph::AddXY(int index, float x, float y) { curve(index).points.push_back({x, y}); }

void CurveGraph::Clear(int index) { curve(index).points.clear(); }

void CurveGraph::takePoints(int index, CurvePoints&& points) { curve(index).points = std::move(points); }

int CurveGraph::DpCnt(int index) const { return curve(index).points.size(); }

float CurveGraph::DpX(int index, int i) const
{
    const Curve& c = curve(index);
    checkPoint(c, i);
    return c.points[i].x;
}

float CurveGraph::DpY(int index, int i) const
{
    const Curve& c = curve(index);
    checkPoint(c, i);
    return c.points[i].y;
}

void CurveGraph::copyPoints(int index, std::vector<CurvePoint>& out) const { curve(index).points.copyTo(out); }

void CurveGraph::setDpY(int index, int i, float y)
{
    Curve& c = curve(index);
    checkPoint(c, i);
    c.points[i].y = y;
}

// ---- curves

void CurveGraph::setCurveCount(int n)
{
    n = std::clamp(n, 1, kMaxCurves);
    curves_.resize(static_cast<size_t>(n));
    // Legend state starts afresh; only the captions survive.
    legends_.resize(static_cast<size_t>(n));
    for (CurveLegend& l : legends_)
        l = CurveLegend{.label = {.caption = l.label.caption}};
    for (Curve& c : curves_)
        c.showLegend = false;
    if (n >= 2)
        curves_[static_cast<size_t>(n - 2)].color = kColorBlue;
    curves_[static_cast<size_t>(n - 1)].color = kColorRed;
    arrangeLegends();
    labelsChanged();
}

int CurveGraph::CurveLineColor(int index) const { return curve(index).color; }

void CurveGraph::setCurveLineColor(int index, int color)
{
    curve(index).color = color;
    labelsChanged();
}

int CurveGraph::CurveAxesY(int index) const { return curve(index).axis; }

void CurveGraph::setCurveAxesY(int index, int axis)
{
    Curve& c = curve(index);
    checkAxis(axis);
    c.axis = axis;
}

bool CurveGraph::ShowCurve(int index) const { return curve(index).show; }

void CurveGraph::setShowCurve(int index, bool show) { curve(index).show = show; }

bool CurveGraph::ShowLegend(int index) const { return curve(index).showLegend; }

void CurveGraph::setShowLegend(int index, bool show)
{
    legendOf(index).label.visible = show;
    curves_[static_cast<size_t>(index)].showLegend = show;
    labelsChanged();
}

void CurveGraph::setLegendText(int index, const std::string& text)
{
    CurveLegend& l = legendOf(index);
    l.label.caption = "----" + text;
    measure(l.label);
    fitOutline(l);
    labelsChanged();
}

// ---- ranges and look

float CurveGraph::MinY(int axis) const
{
    checkAxis(axis);
    return minY_[axis];
}

void CurveGraph::setMinY(int axis, float v)
{
    checkAxis(axis);
    minY_[axis] = v;
}

float CurveGraph::MaxY(int axis) const
{
    checkAxis(axis);
    return maxY_[axis];
}

void CurveGraph::setMaxY(int axis, float v)
{
    checkAxis(axis);
    maxY_[axis] = v;
}

void CurveGraph::setBackColor(int color)
{
    backColor_ = color;
    for (CurveLegend& l : legends_)
        l.outlineColor = inverseColor(color);
}

void CurveGraph::setTitleText(const std::string& text)
{
    title_.caption = text;
    measure(title_);
    title_.left = (static_cast<float>(width_) - title_.width) / 2;
    raise(title_);
    labelsChanged();
}

// ---- legends

void CurveGraph::measure(CurveLabel& label)
{
    TextExtent e = surface_->measureText(label.caption);
    label.width = static_cast<float>(e.w);
    label.height = static_cast<float>(e.h);
}

void CurveGraph::fitOutline(CurveLegend& l)
{
    l.outlineLeft = l.label.left;
    l.outlineTop = l.label.top;
    l.outlineRight = l.label.left + l.label.width;
    l.outlineBottom = l.label.top + l.label.height;
}

void CurveGraph::placeBelow(CurveLegend& l, const CurveLabel& above)
{
    l.label.left = above.left;
    l.label.top = above.top + above.height + kLegendGap;
}

void CurveGraph::arrangeLegends()
{
    for (size_t i = 0; i < legends_.size(); ++i) {
        CurveLegend& l = legends_[i];
        measure(l.label);
        if (i == 0) {
            l.label.left = static_cast<float>(width_) - kLegendRightInset;
            l.label.top = kLegendTop;
        } else {
            placeBelow(l, legends_[i - 1].label);
        }
        l.label.visible = curves_[i].showLegend;
        fitOutline(l);
        l.outlineVisible = false;
        l.outlineColor = inverseColor(backColor_);
    }
}

const CurveLegend& CurveGraph::legend(int index) const
{
    checkCurve(index);
    return legends_[static_cast<size_t>(index)];
}

int CurveGraph::legendAt(float x, float y) const
{
    int found = -1;
    for (int i = 0; i < CurveCount(); ++i) {
        const CurveLabel& l = legends_[static_cast<size_t>(i)].label;
        bool inside = l.visible && x >= l.left && x < l.left + l.width && y >= l.top && y < l.top + l.height;
        if (inside && (found < 0 || l.z >= legends_[static_cast<size_t>(found)].label.z))
            found = i;
    }
    return found;
}

void CurveGraph::legendMouseDown(int index, int button, float x, float y)
{
    CurveLegend& l = legendOf(index);
    l.dragging = button == 1;
    if (!l.dragging)
        return;
    l.dragX = x - l.outlineLeft;
    l.dragY = y - l.outlineTop;
    l.outlineVisible = true;
    labelsChanged();
}

void CurveGraph::legendMouseMove(int index, float x, float y)
{
    CurveLegend& l = legendOf(index);
    if (!l.dragging)
        return;
    float w = l.outlineRight - l.outlineLeft, h = l.outlineBottom - l.outlineTop;
    l.outlineLeft = x - l.dragX;
    l.outlineTop = y - l.dragY;
    l.outlineRight = l.outlineLeft + w;
    l.outlineBottom = l.outlineTop + h;
    labelsChanged();
}

void CurveGraph::legendMouseUp(int index)
{
    CurveLegend& l = legendOf(index);
    if (!l.dragging)
        return;
    l.dragging = false;
    l.outlineVisible = false;
    l.label.left = l.outlineLeft;
    l.label.top = l.outlineTop;
    l.label.width = l.outlineRight - l.outlineLeft;
    l.label.height = l.outlineBottom - l.outlineTop;
    l.userPlaced = true;
    labelsChanged();
}

// ---- size

void CurveGraph::resize(int w, int h)
{
    width_ = std::max(w, 0);
    height_ = std::max(h, 0);
    title_.left = (static_cast<float>(width_) - title_.width) / 2;
    title_.top = kTitleTop;
    // Curves go in pairs (voltage and current of one channel) and each pair
    // shares one legend place: the first at the top right, its partner below.
    // A graph whose curves all show at once stacks every legend below the last.
    for (size_t i = 0; i < legends_.size(); i += 2) {
        CurveLegend& first = legends_[i];
        if (!first.userPlaced && (i == 0 || legendsPaired_)) {
            first.label.left = static_cast<float>(width_) - kLegendRightInset;
            first.label.top = kLegendTop;
        } else if (!first.userPlaced) {
            placeBelow(first, legends_[i - 1].label);
        }
        fitOutline(first);
        if (i + 1 >= legends_.size())
            break;
        CurveLegend& second = legends_[i + 1];
        if (!second.userPlaced)
            placeBelow(second, first.label);
        fitOutline(second);
    }
    Initialize_DrawCurve();
    DrawCurve();
}

}  // namespace klv
