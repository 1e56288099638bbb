#pragma once

#include <string>

namespace klv {

// Pen styles as the graph's properties number them: 0 solid, 1 dash, 2 dot,
// 3 dash-dot, 4 dash-dot-dot, 5 none.
inline constexpr int kPenSolid = 0;
inline constexpr int kPenNone = 5;

struct TextExtent {
    int w = 0, h = 0;
};

// The few drawing primitives a curve graph needs. Everything goes to an
// off-screen picture of the plot's size; copyToScreen shows it in one step.
// Colours are 0x00BBGGRR.
class CurveSurface {
public:
    virtual ~CurveSurface() = default;
    // Drops the old picture and font and makes a new picture of w × h pixels.
    virtual void initialize(int w, int h) = 0;
    virtual void fillRect(int x1, int y1, int x2, int y2, int color) = 0;
    virtual void setPen(int style, int width, int color) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual TextExtent measureText(const std::string& text) = 0;
    // Top-left at (x, y), on an opaque background.
    virtual void drawText(int x, int y, const std::string& text, int color, int background) = 0;
    virtual void copyToScreen() = 0;
    // The title or a legend label changed: show them again over the picture.
    virtual void refreshLabels() = 0;
};

// Stands in while no window shows the graph: the model still keeps its
// points and legend state, and drawing calls cost next to nothing.
class NullCurveSurface final : public CurveSurface {
public:
    void initialize(int, int) override {}
    void fillRect(int, int, int, int, int) override {}
    void setPen(int, int, int) override {}
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
    TextExtent measureText(const std::string&) override { return {}; }
    void drawText(int, int, const std::string&, int, int) override {}
    void copyToScreen() override {}
    void refreshLabels() override {}
};

}  // namespace klv
