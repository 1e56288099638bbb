#include "ui/curve_graph_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <stdexcept>
#include <vector>

#include "view/curve_scale.h"

namespace klv {
namespace {

void sendMouse(QWidget& w, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, at, w.mapToGlobal(at), button, buttons, mods);
    QApplication::sendEvent(&w, &e);
}

bool isBlueish(QColor c) { return c.blue() > 150 && c.red() < 110 && c.green() < 110; }

// Counts pixels of a colour test in a rectangle of the image.
template <class Test>
int countIn(const QImage& img, QRect r, Test test)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += test(img.pixelColor(x, y)) ? 1 : 0;
    return n;
}

struct ShownGraph {
    explicit ShownGraph(int w, int h) : widget(model)
    {
        widget.resize(w, h);
        widget.show();
        QApplication::processEvents();
    }
    CurveGraph model;
    CurveGraphWidget widget;
};

TEST(CurveGraphWidget, PaintsGridAndCurveWhereTheModelSays)
{
    ShownGraph s(600, 400);
    CurveGraph& m = s.model;
    ASSERT_EQ(m.width(), 600);
    ASSERT_EQ(m.height(), 400);
    m.setShowCurve(0, true);
    m.AddXY(0, 0, 9.6f);
    m.AddXY(0, 60, 9.6f);
    m.DrawCurve();
    QApplication::processEvents();
    QImage img = s.widget.grab().toImage();
    ASSERT_EQ(img.size(), QSize(600, 400));

    const float minY[2] = {m.MinY(0), m.MinY(1)}, maxY[2] = {m.MaxY(0), m.MaxY(1)};
    CurveMapping map(600, 400, m.MinX(), m.MaxX(), minY, maxY);
    const int py = map.py(9.6f, 0);
    ASSERT_EQ(py, 201);
    EXPECT_TRUE(isBlueish(img.pixelColor(map.px(30), py))) << "curve missing at its mapped pixel";
    EXPECT_TRUE(isBlueish(img.pixelColor(map.px(45), py)));
    EXPECT_FALSE(isBlueish(img.pixelColor(map.px(30), py - 20)));

    EXPECT_EQ(img.pixelColor(60, 60), QColor(255, 255, 255)) << "background";
    EXPECT_EQ(img.pixelColor(45, 200), QColor(0, 0, 0)) << "left axis";
    EXPECT_EQ(img.pixelColor(300, 355), QColor(0, 0, 0)) << "bottom axis";
    EXPECT_EQ(img.pixelColor(300, 100), QColor(100, 100, 100)) << "solid division line";
    // The half-division lines are dotted: grid colour and background alternate along them.
    int dots = countIn(img, QRect(75, 60, 1, 280), [](QColor c) { return c == QColor(100, 100, 100); });
    int gaps = countIn(img, QRect(75, 60, 1, 280), [](QColor c) { return c == QColor(255, 255, 255); });
    EXPECT_GT(dots, 40);
    EXPECT_GT(gaps, 40);
    // X labels below the axis.
    EXPECT_GT(countIn(img, QRect(0, 360, 600, 40), [](QColor c) { return c.lightness() < 128; }), 20);
}

TEST(CurveGraphWidget, ScreenKeepsItsPictureWhenARangeIsEmpty)
{
    ShownGraph s(500, 300);
    CurveGraph& m = s.model;
    m.setShowCurve(1, true);
    m.AddXY(1, 0, 0);
    m.AddXY(1, 60, 20);
    m.DrawCurve();
    QImage before = s.widget.picture().copy();
    m.setBackColor(0x00FFFF);
    m.setMaxY(0, 0);
    EXPECT_THROW(m.DrawCurve(), std::domain_error);
    EXPECT_EQ(s.widget.picture(), before);

    m.setMaxY(0, 20);
    m.DrawCurve();
    EXPECT_EQ(s.widget.picture().pixelColor(60, 60), QColor(255, 255, 0));
}

TEST(CurveGraphWidget, DraggedLegendStaysWhereDroppedAfterResize)
{
    CurveGraph model;
    model.setLegendText(0, "电压");
    model.setLegendText(1, "电流");
    model.setShowLegend(0, true);
    model.setShowLegend(1, true);
    CurveGraphWidget w(model);
    w.resize(600, 400);
    w.show();
    QApplication::processEvents();
    const CurveLegend& l0 = model.legend(0);
    ASSERT_EQ(l0.label.left, 500);
    ASSERT_EQ(l0.label.top, 70);
    ASSERT_GT(l0.label.width, 0);

    int forwarded = 0;
    QObject::connect(&w, &CurveGraphWidget::MouseDown, [&](int, int, float, float) { ++forwarded; });
    QObject::connect(&w, &CurveGraphWidget::MouseUp, [&](int, int, float, float) { ++forwarded; });

    sendMouse(w, QEvent::MouseButtonPress, QPointF(503, 73), Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, QPointF(203, 173), Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(l0.outlineVisible);
    QImage dragging = w.grab().toImage();
    EXPECT_EQ(dragging.pixelColor(200, 175), QColor(0, 0, 0)) << "outline in the inverse of the background";
    sendMouse(w, QEvent::MouseButtonRelease, QPointF(203, 173), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(forwarded, 0) << "presses on a legend are not the graph's";
    EXPECT_FALSE(l0.outlineVisible);
    EXPECT_TRUE(l0.userPlaced);
    EXPECT_EQ(l0.label.left, 200);
    EXPECT_EQ(l0.label.top, 170);

    w.resize(800, 500);
    QApplication::processEvents();
    ASSERT_EQ(model.width(), 800);
    EXPECT_EQ(l0.label.left, 200);
    EXPECT_EQ(l0.label.top, 170);
    EXPECT_EQ(model.legend(1).label.left, 200) << "the partner follows the dragged label";
    EXPECT_EQ(model.legend(1).label.top, 170 + l0.label.height + 5);

    QImage img = w.grab().toImage();
    QRect where(200, 170, static_cast<int>(l0.label.width), static_cast<int>(l0.label.height));
    EXPECT_GT(countIn(img, where, isBlueish), 5) << "label painted where it was dropped";
    EXPECT_EQ(countIn(img, QRect(700, 70, 60, 10), isBlueish), 0) << "nothing left at the old place";
}

TEST(CurveGraphWidget, ForwardsMouseEventsOffTheLegends)
{
    ShownGraph s(600, 400);
    struct Ev {
        char kind;
        int button, shift;
        float x, y;
        bool operator==(const Ev&) const = default;
    };
    std::vector<Ev> got;
    int doubles = 0;
    CurveGraphWidget& w = s.widget;
    QObject::connect(&w, &CurveGraphWidget::MouseDown, [&](int b, int sh, float x, float y) {
        got.push_back({'d', b, sh, x, y});
    });
    QObject::connect(&w, &CurveGraphWidget::MouseMove, [&](int b, int sh, float x, float y) {
        got.push_back({'m', b, sh, x, y});
    });
    QObject::connect(&w, &CurveGraphWidget::MouseUp, [&](int b, int sh, float x, float y) {
        got.push_back({'u', b, sh, x, y});
    });
    QObject::connect(&w, &CurveGraphWidget::DblClick, [&] { ++doubles; });

    sendMouse(w, QEvent::MouseButtonPress, QPointF(100, 120), Qt::RightButton, Qt::RightButton, Qt::ControlModifier);
    sendMouse(w, QEvent::MouseMove, QPointF(110, 130), Qt::NoButton, Qt::RightButton, Qt::ShiftModifier);
    sendMouse(w, QEvent::MouseButtonRelease, QPointF(110, 130), Qt::RightButton, Qt::NoButton);
    sendMouse(w, QEvent::MouseButtonDblClick, QPointF(110, 130), Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (Ev{'d', 2, 2, 100, 120}));
    EXPECT_EQ(got[1], (Ev{'m', 2, 1, 110, 130}));
    EXPECT_EQ(got[2], (Ev{'u', 2, 0, 110, 130}));
    EXPECT_EQ(doubles, 1);
}

}  // namespace
}  // namespace klv
