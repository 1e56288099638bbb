#include "view/curve_graph.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "view/curve_scale.h"

namespace klv {
namespace {

// Records every primitive; text is 6 pixels a byte wide and 12 high.
struct Recorder final : CurveSurface {
    enum Kind { Init, Fill, Pen, Move, Line, Text, Copy, Labels };
    struct Op {
        Kind kind;
        int a = 0, b = 0, c = 0, d = 0, e = 0;
        std::string text = {};
    };
    std::vector<Op> ops;

    void initialize(int w, int h) override { ops.push_back({Init, w, h}); }
    void fillRect(int x1, int y1, int x2, int y2, int color) override { ops.push_back({Fill, x1, y1, x2, y2, color}); }
    void setPen(int style, int width, int color) override { ops.push_back({Pen, style, width, color}); }
    void moveTo(int x, int y) override { ops.push_back({Move, x, y}); }
    void lineTo(int x, int y) override { ops.push_back({Line, x, y}); }
    TextExtent measureText(const std::string& t) override { return {6 * static_cast<int>(t.size()), 12}; }
    void drawText(int x, int y, const std::string& t, int color, int background) override
    {
        ops.push_back({Text, x, y, color, background, 0, t});
    }
    void copyToScreen() override { ops.push_back({Copy}); }
    void refreshLabels() override { ops.push_back({Labels}); }

    int count(Kind k) const
    {
        int n = 0;
        for (const Op& op : ops)
            n += op.kind == k;
        return n;
    }
    std::vector<Op> texts() const
    {
        std::vector<Op> out;
        for (const Op& op : ops)
            if (op.kind == Text)
                out.push_back(op);
        return out;
    }
};

struct Seg {
    int x1, y1, x2, y2, style, width, color;
    bool operator==(const Seg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seg& s)
{
    return os << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ") pen " << s.style << "/" << s.width
              << "/" << s.color;
}

// Every line drawn, with the pen it was drawn in.
std::vector<Seg> segments(const std::vector<Recorder::Op>& ops)
{
    std::vector<Seg> out;
    int x = 0, y = 0, style = 0, width = 0, color = 0;
    for (const Recorder::Op& op : ops) {
        if (op.kind == Recorder::Pen) {
            style = op.a, width = op.b, color = op.c;
        } else if (op.kind == Recorder::Move) {
            x = op.a, y = op.b;
        } else if (op.kind == Recorder::Line) {
            out.push_back({x, y, op.a, op.b, style, width, color});
            x = op.a, y = op.b;
        }
    }
    return out;
}

std::vector<Seg> withPen(const std::vector<Seg>& segs, int style, int width, int color)
{
    std::vector<Seg> out;
    for (const Seg& s : segs)
        if (s.style == style && s.width == width && s.color == color)
            out.push_back(s);
    return out;
}

std::vector<std::string> textsFrom(const Recorder& r, size_t first, size_t n)
{
    std::vector<std::string> out;
    auto t = r.texts();
    for (size_t i = first; i < first + n && i < t.size(); ++i)
        out.push_back(t[i].text);
    return out;
}

constexpr int kGrid = 0x646464, kWhite = 0xFFFFFF;

class CurveGraphTest : public ::testing::Test {
protected:
    void SetUp() override { size(600, 400); }
    void size(int w, int h)
    {
        g.setSurface(&r);
        g.resize(w, h);
        r.ops.clear();
    }
    Recorder r;
    CurveGraph g;
};

TEST_F(CurveGraphTest, XLabelsAreTimesPastADayOrWholeNumbers)
{
    g.DrawGrid();
    EXPECT_EQ(textsFrom(r, 0, 11),
              (std::vector<std::string>{"00:00:00", "00:00:06", "00:00:12", "00:00:18", "00:00:24", "00:00:30",
                                        "00:00:36", "00:00:42", "00:00:48", "00:00:54", "00:01:00"}));

    r.ops.clear();
    g.setMaxX(180000);
    g.DrawGrid();
    auto labels = textsFrom(r, 0, 11);
    EXPECT_EQ(labels[4], "20:00:00");
    EXPECT_EQ(labels[5], "25:00:00");
    EXPECT_EQ(labels[10], "50:00:00");

    r.ops.clear();
    g.setXBarType(1);
    g.setMaxX(100);
    g.DrawGrid();
    EXPECT_EQ(textsFrom(r, 0, 11),
              (std::vector<std::string>{"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}));

    r.ops.clear();
    g.setMinX(1);
    g.setMaxX(11);
    g.DrawGrid();
    EXPECT_EQ(textsFrom(r, 0, 11), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));

    // Fractions of a second round to the nearest second.
    EXPECT_EQ(timeLabel(59.6), "00:01:00");
    EXPECT_EQ(timeLabel(86399.6), "24:00:00");
}

TEST_F(CurveGraphTest, YLabelsHaveTwoDecimalsAndCaptionsFollowTheirAxis)
{
    g.setMaxY(0, 5);
    g.setMinY(1, -1);
    g.setMaxY(1, 1);
    g.setAxesText("[Ah]");
    g.DrawGrid();
    EXPECT_EQ(textsFrom(r, 11, 12), (std::vector<std::string>{"0.00", "0.50", "1.00", "1.50", "2.00", "2.50", "3.00",
                                                              "3.50", "4.00", "4.50", "5.00", "[Ah]"}));
    EXPECT_EQ(textsFrom(r, 23, 13), (std::vector<std::string>{"-1.00", "-0.80", "-0.60", "-0.40", "-0.20", "0.00",
                                                              "0.20", "0.40", "0.60", "0.80", "1.00", "[A]", "CW"}));

    r.ops.clear();
    g.setShowAxesY1(false);
    g.DrawGrid();
    auto t = r.texts();
    ASSERT_EQ(t.size(), 24u);
    EXPECT_EQ(t[22].text, "[Ah]");
    EXPECT_EQ(t[23].text, "CW");
    for (const Seg& s : segments(r.ops))
        EXPECT_FALSE(s.x1 == 555 && s.x2 == 555) << "right axis drawn while hidden: " << s;
}

TEST_F(CurveGraphTest, GridGeometryIsExact)
{
    size(600, 390);  // d_x = 50, d_y = 30
    g.setAxesColor(0x000080);
    g.DrawGrid();

    ASSERT_FALSE(r.ops.empty());
    const Recorder::Op& fill = r.ops.front();
    EXPECT_EQ(fill.kind, Recorder::Fill);
    EXPECT_EQ(std::vector<int>({fill.a, fill.b, fill.c, fill.d, fill.e}), std::vector<int>({0, 0, 600, 390, kWhite}));
    EXPECT_EQ(r.count(Recorder::Copy), 0) << "DrawGrid must not show the picture";

    auto segs = segments(r.ops);
    auto axes = withPen(segs, 0, 1, 0x000080);
    ASSERT_GE(axes.size(), 3u);
    EXPECT_EQ(axes[0], (Seg{45, 40, 45, 340, 0, 1, 0x000080}));
    EXPECT_EQ(axes[1], (Seg{50, 345, 550, 345, 0, 1, 0x000080}));
    EXPECT_EQ(axes[2], (Seg{555, 340, 555, 40, 0, 1, 0x000080}));
    // The first X tick and the first tick of each Y axis.
    EXPECT_EQ(axes[3], (Seg{50, 345, 50, 351, 0, 1, 0x000080}));
    EXPECT_EQ(axes.size(), 3u + 11 + 11 + 11);

    std::vector<Seg> half, division;
    for (int k = 0; k < 10; ++k)
        half.push_back({50, 325 - 30 * k, 550, 325 - 30 * k, 2, 1, kGrid});
    for (int k = 0; k < 10; ++k)
        half.push_back({75 + 50 * k, 340, 75 + 50 * k, 40, 2, 1, kGrid});
    for (int k = 0; k <= 10; ++k)
        division.push_back({50, 340 - 30 * k, 550, 340 - 30 * k, 0, 1, kGrid});
    for (int k = 0; k <= 10; ++k)
        division.push_back({50 + 50 * k, 340, 50 + 50 * k, 40, 0, 1, kGrid});
    EXPECT_EQ(withPen(segs, 2, 1, kGrid), half);
    EXPECT_EQ(withPen(segs, 0, 1, kGrid), division);

    auto t = r.texts();
    ASSERT_EQ(t.size(), 36u);
    // "00:00:06" is 48 wide and 12 high: centred under its tick, hanging from H − 38 + h/2.
    EXPECT_EQ(std::vector<int>({t[1].a, t[1].b}), std::vector<int>({100 - 24, 358}));
    // "0.00" right-aligned at x = 34; "2.00" centred on its tick 30 pixels up.
    EXPECT_EQ(std::vector<int>({t[11].a, t[11].b}), std::vector<int>({10, 334}));
    EXPECT_EQ(std::vector<int>({t[12].a, t[12].b}), std::vector<int>({10, 304}));
    // "[V]" half a division above the top label.
    EXPECT_EQ(std::vector<int>({t[22].a, t[22].b}), std::vector<int>({34 - 18, 340 - 315 - 6}));
    // Right labels start at W − 34.
    EXPECT_EQ(std::vector<int>({t[23].a, t[23].b}), std::vector<int>({566, 334}));
    EXPECT_EQ(std::vector<int>({t[34].a, t[34].b}), std::vector<int>({566, 19}));
    // Brand mark in the grid colour at the top right of the data rectangle.
    EXPECT_EQ(t[35].text, "CW");
    EXPECT_EQ(std::vector<int>({t[35].a, t[35].b, t[35].c, t[35].d}), std::vector<int>({523, 45, kGrid, kWhite}));
    for (size_t i = 0; i < 35; ++i)
        EXPECT_EQ(std::vector<int>({t[i].c, t[i].d}), std::vector<int>({0x000080, kWhite})) << t[i].text;
}

TEST_F(CurveGraphTest, GridKeepsItsLastLineAtEverySize)
{
    for (int w = 120; w <= 1400; w += 7) {
        for (int h = 110; h <= 900; h += 11) {
            size(w, h);
            g.DrawGrid();
            auto segs = segments(r.ops);
            auto division = withPen(segs, 0, 1, kGrid);
            auto half = withPen(segs, 2, 1, kGrid);
            ASSERT_EQ(division.size(), 22u) << w << "x" << h;
            ASSERT_EQ(half.size(), 20u) << w << "x" << h;
            EXPECT_EQ(division[10].y1, 40) << w << "x" << h;
            EXPECT_EQ(division[21].x1, w - 50) << w << "x" << h;
        }
    }
}

TEST_F(CurveGraphTest, PointsMapToTheirPixels)
{
    g.setShowCurve(0, true);
    g.setShowCurve(1, true);
    g.setCurveAxesY(1, 1);
    g.AddXY(0, 30, 10);   // (30 / 0.12) + 50, 400 − (10 / (20 / 310) + 50)
    g.AddXY(0, 7, 3.3f);  // 58.3 and 51.15 round down
    g.AddXY(1, 60, 2);    // right axis: 2 / (10 / 310) = 62
    g.DrawCurve();
    auto curve0 = withPen(segments(r.ops), 0, 2, kColorBlue);
    auto curve1 = withPen(segments(r.ops), 0, 2, kColorRed);
    ASSERT_EQ(curve0.size(), 1u);
    EXPECT_EQ(curve0[0], (Seg{300, 195, 108, 299, 0, 2, kColorBlue}));
    ASSERT_EQ(curve1.size(), 0u);  // a single point draws nothing
    EXPECT_EQ(r.ops.back().kind, Recorder::Copy);

    // Halves round to even.
    r.ops.clear();
    g.setMaxX(500);
    g.Clear(0);
    g.AddXY(0, 10.5f, 0);
    g.AddXY(0, 11.5f, 0);
    g.DrawCurve();
    curve0 = withPen(segments(r.ops), 0, 2, kColorBlue);
    ASSERT_EQ(curve0.size(), 1u);
    EXPECT_EQ(curve0[0], (Seg{60, 350, 62, 350, 0, 2, kColorBlue}));
}

TEST_F(CurveGraphTest, DecimationStepsEvenlyAndEndsOnTheLastPoint)
{
    EXPECT_EQ(decimationStep(100000, 500), 51);
    EXPECT_EQ(decimationStep(1000, 500), 2);  // 1.5 rounds to even
    EXPECT_EQ(decimationStep(3000, 500), 2);  // 2.5 too
    EXPECT_EQ(decimationStep(1999, 500), 2);
    EXPECT_EQ(decimationStep(10, 500), 1);

    size(500, 400);
    g.setShowCurve(0, true);
    g.setMaxX(100000);
    // Only the points a 51-step walk reaches are high, and the last point is in the middle.
    const int n = 100000;
    for (int i = 0; i < n - 1; ++i)
        g.AddXY(0, static_cast<float>(i), i >= 1 && (i - 1) % 51 == 0 ? 20.0f : 0.0f);
    g.AddXY(0, static_cast<float>(n - 1), 10);
    g.DrawCurve();
    auto c = withPen(segments(r.ops), 0, 2, kColorBlue);
    ASSERT_EQ(c.size(), 1961u + 1u);
    for (size_t k = 0; k + 1 < c.size(); ++k)
        ASSERT_EQ(c[k].y2, 40) << "segment " << k << " does not end on a stepped point";
    EXPECT_EQ(c.back().y2, 400 - (155 + 50));
    EXPECT_EQ(c.back().x2, 450);

    // Three points with step 1: two segments, no repeated end.
    r.ops.clear();
    g.Clear(0);
    g.setMaxX(60);
    for (float x : {0.f, 30.f, 60.f})
        g.AddXY(0, x, 0);
    g.DrawCurve();
    c = withPen(segments(r.ops), 0, 2, kColorBlue);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[1].x2, 450);
}

TEST_F(CurveGraphTest, LegendsOfShownCurvesComeForwardEvenWithOnePoint)
{
    g.setShowCurve(0, true);
    g.setShowLegend(0, true);
    g.setShowLegend(1, true);  // curve 1 stays hidden
    g.AddXY(0, 10, 5);
    g.AddXY(1, 1, 1);
    g.AddXY(1, 2, 2);
    unsigned z0 = g.legend(0).label.z, z1 = g.legend(1).label.z;
    g.DrawCurve();
    for (const Seg& s : segments(r.ops))
        EXPECT_TRUE(s.color != kColorBlue && s.color != kColorRed) << "nothing visible expected: " << s;
    EXPECT_EQ(r.count(Recorder::Copy), 1);
    EXPECT_GT(g.legend(0).label.z, z0);
    EXPECT_GT(g.legend(0).label.z, g.title().z);
    EXPECT_EQ(g.legend(1).label.z, z1) << "a hidden curve leaves its legend alone";
    EXPECT_TRUE(g.legend(1).label.visible);

    r.ops.clear();
    g.AddXY(0, 20, 5);
    g.DrawCurve();
    EXPECT_EQ(withPen(segments(r.ops), 0, 2, kColorBlue).size(), 1u);
}

TEST_F(CurveGraphTest, DrawCurveExOverlaysOnlyCurvesSinceTheGridInWidthOne)
{
    g.setLine(3);
    g.setShowCurve(0, true);
    g.setShowCurve(1, true);
    g.AddXY(0, 0, 0);
    g.AddXY(0, 60, 20);
    g.DrawCurve();
    EXPECT_EQ(r.ops.front().kind, Recorder::Fill);
    EXPECT_EQ(withPen(segments(r.ops), 0, 3, kColorBlue).size(), 1u);

    r.ops.clear();
    g.DrawGrid();
    r.ops.clear();
    g.Clear(0);
    g.AddXY(0, 0, 10);
    g.AddXY(0, 30, 10);
    g.DrawCurveEx();
    g.Clear(0);
    g.AddXY(0, 30, 4);
    g.AddXY(0, 60, 4);
    g.DrawCurveEx();
    EXPECT_EQ(r.count(Recorder::Fill), 0);
    EXPECT_EQ(r.count(Recorder::Text), 0);
    EXPECT_EQ(r.count(Recorder::Copy), 2);
    auto segs = segments(r.ops);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ(segs[0], (Seg{50, 195, 300, 195, 0, 1, kColorBlue}));
    EXPECT_EQ(segs[1], (Seg{300, 288, 550, 288, 0, 1, kColorBlue}));
}

TEST_F(CurveGraphTest, EmptyRangeDrawsNoCurveAndShowsNothing)
{
    g.setShowCurve(0, true);
    g.setShowLegend(0, true);
    g.AddXY(0, 1, 1);
    g.AddXY(0, 2, 2);
    unsigned z = g.legend(0).label.z;
    g.setMaxX(0);
    EXPECT_THROW(g.DrawCurve(), std::domain_error);
    EXPECT_THROW(g.DrawCurveEx(), std::domain_error);
    EXPECT_TRUE(withPen(segments(r.ops), 0, 2, kColorBlue).empty());
    EXPECT_TRUE(withPen(segments(r.ops), 0, 1, kColorBlue).empty());
    EXPECT_EQ(r.count(Recorder::Copy), 0);
    EXPECT_EQ(g.legend(0).label.z, z);

    // An axis matters only when a shown curve with points uses it.
    g.setMaxX(60);
    g.setMaxY(1, 0);
    EXPECT_NO_THROW(g.DrawCurve());
    g.setShowCurve(1, true);
    EXPECT_NO_THROW(g.DrawCurve());
    g.AddXY(1, 5, 0);
    g.setCurveAxesY(1, 1);
    EXPECT_THROW(g.DrawCurve(), std::domain_error);
}

TEST_F(CurveGraphTest, CurveCountClampsKeepsCurvesAndColoursTheLastTwo)
{
    g.setShowCurve(1, true);
    g.setCurveAxesY(1, 1);
    g.AddXY(1, 3, 4);
    g.setLegendText(1, "I");
    g.setShowLegend(1, true);

    g.setCurveCount(5);
    EXPECT_EQ(g.CurveCount(), 5);
    EXPECT_EQ(g.DpCnt(1), 1);
    EXPECT_EQ(g.DpY(1, 0), 4.0f);
    EXPECT_TRUE(g.ShowCurve(1));
    EXPECT_EQ(g.CurveAxesY(1), 1);
    EXPECT_EQ(g.CurveLineColor(1), kColorRed);
    EXPECT_EQ(g.CurveLineColor(2), 0);
    EXPECT_EQ(g.CurveLineColor(3), kColorBlue);
    EXPECT_EQ(g.CurveLineColor(4), kColorRed);
    EXPECT_FALSE(g.ShowCurve(2));
    EXPECT_EQ(g.CurveAxesY(2), 0);
    EXPECT_EQ(g.legend(1).label.caption, "----I");
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(g.ShowLegend(i));
        EXPECT_FALSE(g.legend(i).label.visible);
    }
    // Labels stack down from (W − 100, 70), 5 pixels apart.
    EXPECT_EQ(g.legend(0).label.left, 500);
    EXPECT_EQ(g.legend(0).label.top, 70);
    EXPECT_EQ(g.legend(3).label.left, 500);
    EXPECT_EQ(g.legend(3).label.top, 70 + 3 * 17);

    g.setCurveCount(0);
    EXPECT_EQ(g.CurveCount(), 1);
    EXPECT_EQ(g.CurveLineColor(0), kColorRed);
    g.setCurveCount(100);
    EXPECT_EQ(g.CurveCount(), 40);
    EXPECT_EQ(g.CurveLineColor(38), kColorBlue);
    EXPECT_EQ(g.CurveLineColor(39), kColorRed);
    EXPECT_EQ(g.CurveLineColor(37), 0);
}

TEST_F(CurveGraphTest, PointsGrowClearAndReadBack)
{
    const int n = 3 * CurvePoints::kBlockSize + 17;
    for (int i = 0; i < n; ++i)
        g.AddXY(0, static_cast<float>(i), static_cast<float>(-i));
    g.AddXY(1, 1, 2);
    ASSERT_EQ(g.DpCnt(0), n);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(g.DpX(0, i), static_cast<float>(i));
        ASSERT_EQ(g.DpY(0, i), static_cast<float>(-i));
    }
    g.setDpY(0, CurvePoints::kBlockSize, 0.5f);
    EXPECT_EQ(g.DpY(0, CurvePoints::kBlockSize), 0.5f);
    EXPECT_EQ(g.DpX(0, CurvePoints::kBlockSize), static_cast<float>(CurvePoints::kBlockSize));

    g.Clear(0);
    EXPECT_EQ(g.DpCnt(0), 0);
    EXPECT_EQ(g.DpCnt(1), 1);
    g.AddXY(0, 7, 8);
    EXPECT_EQ(g.DpCnt(0), 1);
    EXPECT_EQ(g.DpX(0, 0), 7.0f);

    g.ClearAll();
    EXPECT_EQ(g.DpCnt(0), 0);
    EXPECT_EQ(g.DpCnt(1), 0);
    ASSERT_GE(r.ops.size(), 3u);
    EXPECT_EQ(r.ops[0].kind, Recorder::Init);
    EXPECT_EQ(std::vector<int>({r.ops[0].a, r.ops[0].b}), std::vector<int>({600, 400}));
    EXPECT_EQ(r.ops[1].kind, Recorder::Fill);
    EXPECT_EQ(r.ops.back().kind, Recorder::Copy);
}

TEST_F(CurveGraphTest, IndexesOutOfRangeThrowAndChangeNothing)
{
    g.AddXY(0, 1, 2);
    EXPECT_THROW(g.AddXY(2, 1, 1), std::out_of_range);
    EXPECT_THROW(g.AddXY(-1, 1, 1), std::out_of_range);
    EXPECT_THROW(g.Clear(2), std::out_of_range);
    EXPECT_THROW(g.DpCnt(-1), std::out_of_range);
    EXPECT_THROW(g.DpX(0, 1), std::out_of_range);
    EXPECT_THROW(g.DpY(1, 0), std::out_of_range);
    EXPECT_THROW(g.setDpY(0, 1, 9), std::out_of_range);
    EXPECT_THROW(g.setDpY(0, -1, 9), std::out_of_range);
    EXPECT_EQ(g.DpCnt(0), 1);
    EXPECT_EQ(g.DpY(0, 0), 2.0f);

    EXPECT_THROW(g.MaxY(2), std::out_of_range);
    EXPECT_THROW(g.setMinY(-1, 5), std::out_of_range);
    EXPECT_THROW(g.setMaxY(2, 5), std::out_of_range);
    EXPECT_EQ(g.MinY(0), 0.0f);
    EXPECT_EQ(g.MaxY(1), 10.0f);

    EXPECT_THROW(g.setCurveAxesY(0, 2), std::out_of_range);
    EXPECT_THROW(g.setCurveAxesY(5, 1), std::out_of_range);
    EXPECT_EQ(g.CurveAxesY(0), 0);
    EXPECT_THROW(g.setCurveLineColor(2, 1), std::out_of_range);
    EXPECT_THROW(g.setShowCurve(2, true), std::out_of_range);
    EXPECT_THROW(g.setShowLegend(2, true), std::out_of_range);
    EXPECT_THROW(g.setLegendText(2, "x"), std::out_of_range);
    EXPECT_THROW(g.legend(2), std::out_of_range);
    EXPECT_THROW(g.legendMouseDown(-1, 1, 0, 0), std::out_of_range);
}

TEST_F(CurveGraphTest, LegendTextColourAndBackground)
{
    // Label changes show at once, without waiting for the owner to draw.
    auto showsLabels = [&](auto write) {
        r.ops.clear();
        write();
        return r.count(Recorder::Labels) > 0;
    };
    EXPECT_TRUE(showsLabels([&] { g.setShowLegend(1, true); }));
    EXPECT_TRUE(showsLabels([&] { g.setCurveLineColor(1, 0x00FF00); }));
    EXPECT_TRUE(showsLabels([&] { g.setTitleText("x"); }));
    EXPECT_TRUE(showsLabels([&] { g.setLegendText(0, "电压"); }));
    EXPECT_FALSE(showsLabels([&] { g.setMaxY(0, 7); }));

    EXPECT_EQ(g.legend(0).label.caption, "----电压");
    EXPECT_EQ(g.legend(0).label.width, 6 * 10);
    EXPECT_EQ(g.legend(0).outlineRight - g.legend(0).outlineLeft, 60);
    EXPECT_EQ(g.legend(0).outlineBottom - g.legend(0).outlineTop, 12);

    g.setBackColor(0x123456);
    EXPECT_EQ(g.legend(0).outlineColor, 0xEDCBA9);
    EXPECT_EQ(g.legend(1).outlineColor, 0xEDCBA9);

    g.setTitleText("abc");
    EXPECT_EQ(g.title().left, (600 - 18) / 2.0f);
    EXPECT_EQ(g.title().top, 10);
    EXPECT_GT(g.title().z, g.legend(0).label.z);
}

TEST_F(CurveGraphTest, DraggedLegendStaysThroughResizesAndItsPartnerFollows)
{
    g.setCurveCount(4);
    for (int i = 0; i < 4; ++i) {
        g.setLegendText(i, "ab");
        g.setShowLegend(i, true);
        g.setShowCurve(i, true);
    }
    size(600, 400);  // pairs share a place: labels 0 and 2 at the top right
    EXPECT_EQ(g.legend(2).label.left, 500);
    EXPECT_EQ(g.legend(2).label.top, 70);
    EXPECT_EQ(g.legend(3).label.top, 87);
    EXPECT_EQ(g.legendAt(505, 75), 2) << "the label drawn last is in front";
    EXPECT_EQ(g.legendAt(505, 60), -1);
    g.setShowLegend(2, false);
    EXPECT_EQ(g.legendAt(505, 75), 0);

    g.legendMouseDown(0, 2, 505, 75);
    EXPECT_FALSE(g.legend(0).dragging);
    EXPECT_FALSE(g.legend(0).outlineVisible);

    g.legendMouseDown(0, 1, 510, 75);
    EXPECT_TRUE(g.legend(0).dragging);
    EXPECT_TRUE(g.legend(0).outlineVisible);
    g.legendMouseMove(0, 300, 200);
    EXPECT_EQ(g.legend(0).outlineLeft, 290);
    EXPECT_EQ(g.legend(0).outlineTop, 195);
    EXPECT_EQ(g.legend(0).outlineRight, 290 + 36);
    EXPECT_EQ(g.legend(0).label.left, 500) << "the label waits for the button to come up";
    g.legendMouseUp(0);
    EXPECT_FALSE(g.legend(0).dragging);
    EXPECT_FALSE(g.legend(0).outlineVisible);
    EXPECT_TRUE(g.legend(0).userPlaced);
    EXPECT_EQ(g.legend(0).label.left, 290);
    EXPECT_EQ(g.legend(0).label.top, 195);

    g.legendMouseMove(0, 10, 10);
    EXPECT_EQ(g.legend(0).outlineLeft, 290) << "moves after the drop do nothing";

    size(800, 500);
    EXPECT_EQ(g.legend(0).label.left, 290);
    EXPECT_EQ(g.legend(0).label.top, 195);
    EXPECT_EQ(g.legend(1).label.left, 290);
    EXPECT_EQ(g.legend(1).label.top, 195 + 17);
    EXPECT_EQ(g.legend(2).label.left, 700);
    EXPECT_EQ(g.legend(3).label.top, 87);

    g.setCurveCount(4);
    EXPECT_FALSE(g.legend(0).userPlaced);
    EXPECT_EQ(g.legend(0).label.left, 700);
}

TEST_F(CurveGraphTest, PlotsTooSmallForDataDrawNoCurvesAndNeverHang)
{
    g.setShowCurve(0, true);
    g.setShowLegend(0, true);
    g.AddXY(0, 0, 0);
    g.AddXY(0, 60, 20);
    for (auto [w, h] : {std::pair{100, 90}, std::pair{60, 40}, std::pair{0, 0}, std::pair{100, 400}}) {
        size(w, h);
        g.DrawCurve();
        EXPECT_TRUE(withPen(segments(r.ops), 0, 2, kColorBlue).empty()) << w << "x" << h;
        EXPECT_LE(segments(r.ops).size(), 3u + 33u + 44u) << "at most eleven grid lines a direction";
        EXPECT_EQ(r.ops.back().kind, Recorder::Copy);
        EXPECT_TRUE(g.legend(0).label.visible);
    }
}

}  // namespace
}  // namespace klv
