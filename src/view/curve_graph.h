#pragma once

#include <string>
#include <vector>

#include "view/curve_points.h"
#include "view/curve_surface.h"

namespace klv {

class CurveMapping;

inline constexpr int kMaxCurves = 40;
inline constexpr int kColorBlue = 0xFF0000;
inline constexpr int kColorRed = 0x0000FF;
inline constexpr const char* kBrandMark = "CW";

// A text laid over the plot (a legend label or the title), in plot pixels.
struct CurveLabel {
    std::string caption;
    float left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    unsigned z = 0;  // stacking order: larger is in front
};

// A legend label and the outline the user drags to move it.
struct CurveLegend {
    CurveLabel label;
    float outlineLeft = 0, outlineTop = 0, outlineRight = 0, outlineBottom = 0;
    bool outlineVisible = false;
    int outlineColor = 0;
    bool dragging = false;
    float dragX = 0, dragY = 0;  // mouse position minus the outline's top-left
    bool userPlaced = false;     // resizing leaves the label where the user put it
};

// The station's plotting control without its window: curves of (x, y)
// points, ranges, legends and title, and the drawing of grid and curves as
// primitive operations on a CurveSurface.
//
// A curve, point or axis index out of range throws std::out_of_range and
// changes nothing. A drawing call that finds an empty range on a curve it
// would draw throws std::domain_error after drawing no curve and without
// showing anything, so the screen keeps its previous picture.
class CurveGraph {
public:
    // Plot size until a window gives the graph its own.
    static constexpr int kDesignWidth = 600;
    static constexpr int kDesignHeight = 400;

    CurveGraph();
    CurveGraph(const CurveGraph&) = delete;
    CurveGraph& operator=(const CurveGraph&) = delete;

    // The window surface that shows the graph; nullptr detaches it.
    void setSurface(CurveSurface* surface);

    // Points.
    void AddXY(int index, float x, float y);
    void Clear(int index);
    // The curve's points become these, as if each had been added in turn: a curve of a
    // million points can be filled away from the window's thread and handed over at once.
    void takePoints(int index, CurvePoints&& points);
    int DpCnt(int index) const;
    float DpX(int index, int i) const;
    float DpY(int index, int i) const;
    void setDpY(int index, int i, float y);
    // Every point of the curve appended to out, for a copy taken in one go.
    void copyPoints(int index, std::vector<CurvePoint>& out) const;

    // Drawing.
    void ClearAll();
    void DrawGrid();
    void DrawCurve();
    void DrawCurveEx();
    void Initialize_DrawCurve();
    // The plot area took a new size: re-place title and legends, redraw.
    void resize(int w, int h);
    int width() const { return width_; }
    int height() const { return height_; }

    // Curves.
    int CurveCount() const { return static_cast<int>(curves_.size()); }
    void setCurveCount(int n);
    int CurveLineColor(int index) const;
    void setCurveLineColor(int index, int color);
    int CurveAxesY(int index) const;
    void setCurveAxesY(int index, int axis);
    bool ShowCurve(int index) const;
    void setShowCurve(int index, bool show);
    bool ShowLegend(int index) const;
    void setShowLegend(int index, bool show);
    void setLegendText(int index, const std::string& text);
    // Legends share a place by pairs of curves (the default) or all stack below each other.
    void setLegendsPaired(bool paired) { legendsPaired_ = paired; }

    // Ranges and axes.
    float MinX() const { return minX_; }
    void setMinX(float v) { minX_ = v; }
    float MaxX() const { return maxX_; }
    void setMaxX(float v) { maxX_ = v; }
    float MinY(int axis) const;
    void setMinY(int axis, float v);
    float MaxY(int axis) const;
    void setMaxY(int axis, float v);
    int xBarType() const { return xBarType_; }
    void setXBarType(int type) { xBarType_ = type; }
    bool ShowAxesY1() const { return showAxesY1_; }
    void setShowAxesY1(bool show) { showAxesY1_ = show; }
    const std::string& AxesText() const { return axesText_; }
    void setAxesText(const std::string& text) { axesText_ = text; }
    // The caption of the right axis: the current's unless a graph plots something else there.
    const std::string& AxesText1() const { return axesText1_; }
    void setAxesText1(const std::string& text) { axesText1_ = text; }

    // Look.
    int BackColor() const { return backColor_; }
    void setBackColor(int color);
    int GridColor() const { return gridColor_; }
    void setGridColor(int color) { gridColor_ = color; }
    int AxesColor() const { return axesColor_; }
    void setAxesColor(int color) { axesColor_ = color; }
    int GridType1() const { return gridType1_; }
    void setGridType1(int style) { gridType1_ = style; }
    int GridType2() const { return gridType2_; }
    void setGridType2(int style) { gridType2_ = style; }
    int Line() const { return line_; }
    void setLine(int width) { line_ = width; }
    void setTitleText(const std::string& text);
    const CurveLabel& title() const { return title_; }

    // Legend labels and their dragging with the mouse (button 1 is the left).
    const CurveLegend& legend(int index) const;
    // The visible legend label in front at (x, y), or -1.
    int legendAt(float x, float y) const;
    void legendMouseDown(int index, int button, float x, float y);
    void legendMouseMove(int index, float x, float y);
    void legendMouseUp(int index);

private:
    struct Curve {
        CurvePoints points;
        int axis = 0;
        bool show = false;
        int color = 0;
        bool showLegend = false;
    };

    void checkCurve(int index) const;
    Curve& curve(int index);
    const Curve& curve(int index) const;
    CurveLegend& legendOf(int index);
    static void checkPoint(const Curve& c, int i);
    static void checkAxis(int axis);

    void measure(CurveLabel& label);
    void raise(CurveLabel& label) { label.z = ++topZ_; }
    void labelsChanged() { surface_->refreshLabels(); }
    void fitOutline(CurveLegend& legend);
    void placeBelow(CurveLegend& legend, const CurveLabel& above);
    void arrangeLegends();

    void line(int x1, int y1, int x2, int y2);
    void text(double x, double y, const std::string& s, int color);
    void drawXAxis();
    void drawYAxis(int axis, bool right);
    void drawGridLines(int style, double offset);
    void drawCurves(int penWidth);
    void drawPoints(const Curve& c, const CurveMapping& map, int penWidth);
    void checkRanges() const;
    bool hasDataArea() const;

    CurveSurface* surface_;
    int width_ = kDesignWidth, height_ = kDesignHeight;
    std::vector<Curve> curves_;
    std::vector<CurveLegend> legends_;
    CurveLabel title_;
    unsigned topZ_ = 0;

    float minX_ = 0, maxX_ = 60;
    float minY_[2] = {0, 0}, maxY_[2] = {20, 10};
    int xBarType_ = 0;
    int gridType1_ = 0, gridType2_ = 2;
    int gridColor_ = 0x646464;
    int backColor_ = 0xFFFFFF;
    int axesColor_ = 0;
    bool showAxesY1_ = true;
    int line_ = 2;
    std::string axesText_ = "[V]";
    std::string axesText1_ = "[A]";
    bool legendsPaired_ = true;
};

}  // namespace klv
