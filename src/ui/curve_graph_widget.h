#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QWidget>
#include <functional>
#include <memory>

#include "view/curve_graph.h"

namespace klv {

// A curve surface on an off-screen QImage. copyToScreen publishes the
// finished picture as screen(), which stays as it was until the next copy;
// onShow runs whenever the picture or the labels over it changed.
class CurvePainterSurface final : public CurveSurface {
public:
    explicit CurvePainterSurface(std::function<void()> onShow = {});
    ~CurvePainterSurface() override;

    // The plot area's font; the drawing font is made from it at initialize.
    void setBaseFont(const QFont& font);
    const QFont& font() const { return font_; }
    const QImage& screen() const { return screen_; }

    void initialize(int w, int h) override;
    void fillRect(int x1, int y1, int x2, int y2, int color) override;
    void setPen(int style, int width, int color) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    TextExtent measureText(const std::string& text) override;
    void drawText(int x, int y, const std::string& text, int color, int background) override;
    void copyToScreen() override;
    void refreshLabels() override;

private:
    QImage& canvas();
    QPainter& painter();
    void flushPath();

    std::function<void()> onShow_;
    QFont base_, font_;
    QSize size_{1, 1};
    QImage image_, screen_;
    std::unique_ptr<QPainter> painter_;
    QPen pen_;
    QPolygon path_;  // joined lineTo points not yet painted
};

// The curve graph control: shows a CurveGraph model, lets the user drag its
// legend labels and forwards the mouse. The model outlives the widget.
class CurveGraphWidget : public QWidget {
    Q_OBJECT
public:
    explicit CurveGraphWidget(CurveGraph& model, QWidget* parent = nullptr);
    ~CurveGraphWidget() override;

    CurveGraph& model() { return model_; }
    // The picture last copied to the screen, without title and legends.
    const QImage& picture() const { return surface_.screen(); }

Q_SIGNALS:
    void DblClick();
    // Buttons 1 left, 2 right, 4 middle; shift state 1 Shift, 2 Ctrl, 4 Alt; plot pixels.
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool pressOnLegend(QMouseEvent* event);

    CurveGraph& model_;
    CurvePainterSurface surface_;
    int draggedLegend_ = -1;
};

}  // namespace klv
