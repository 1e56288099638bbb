#include "ui/curve_graph_widget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QVarLengthArray>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "ui/qt_colour.h"

namespace klv {

namespace {

Qt::PenStyle toQtStyle(int style)
{
    switch (style) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case kPenNone:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

// The drawing font is as many pixels high as the plot area's font has points.
QFont drawingFont(const QFont& base)
{
    QFont f(base.family());
    int size = base.pointSize() > 0 ? base.pointSize() : base.pixelSize();
    f.setPixelSize(std::max(size, 1));
    f.setWeight(base.bold() ? QFont::Bold : QFont::Normal);
    f.setItalic(base.italic());
    f.setUnderline(base.underline());
    f.setStrikeOut(base.strikeOut());
    return f;
}

int mouseButton(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

int shiftState(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

// ---- surface

CurvePainterSurface::CurvePainterSurface(std::function<void()> onShow) : onShow_(std::move(onShow))
{
    setBaseFont(QFont());
}

CurvePainterSurface::~CurvePainterSurface() = default;

void CurvePainterSurface::setBaseFont(const QFont& font)
{
    base_ = font;
    font_ = drawingFont(base_);
}

// The picture is made at the first drawing after initialize: a graph built and resized out of
// sight (five of the six detail graphs, the viewer's) fills no memory until it draws.
QImage& CurvePainterSurface::canvas()
{
    if (image_.isNull()) {
        image_ = QImage(size_, QImage::Format_RGB32);
        image_.fill(Qt::white);
    }
    return image_;
}

QPainter& CurvePainterSurface::painter()
{
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&canvas());
        painter_->setFont(font_);
        painter_->setPen(pen_);
    }
    return *painter_;
}

// Joined lines go out in one call: far cheaper than a call per segment. A wide pen draws them as
// separate segments, whose square ends close the joins: stroked as one path, a curve of a few
// thousand zigzag points took a quarter of a second to fill.
void CurvePainterSurface::flushPath()
{
    if (path_.size() > 1 && pen_.width() <= 1) {
        painter().drawPolyline(path_);
    } else if (path_.size() > 1) {
        QVarLengthArray<QLine, 1024> segments;
        for (qsizetype i = 1; i < path_.size(); ++i)
            segments.append(QLine(path_[i - 1], path_[i]));
        painter().drawLines(segments.constData(), static_cast<int>(segments.size()));
    }
    path_.clear();
}

void CurvePainterSurface::initialize(int w, int h)
{
    path_.clear();
    painter_.reset();
    size_ = QSize(std::max(w, 1), std::max(h, 1));
    image_ = QImage();
    font_ = drawingFont(base_);
}

void CurvePainterSurface::fillRect(int x1, int y1, int x2, int y2, int color)
{
    flushPath();
    painter().fillRect(QRect(x1, y1, x2 - x1, y2 - y1), toQColor(color));
}

void CurvePainterSurface::setPen(int style, int width, int color)
{
    flushPath();
    pen_ = QPen(toQColor(color), std::max(width, 1), toQtStyle(style));
    painter().setPen(pen_);
}

void CurvePainterSurface::moveTo(int x, int y)
{
    flushPath();
    path_ << QPoint(x, y);
}

void CurvePainterSurface::lineTo(int x, int y) { path_ << QPoint(x, y); }

TextExtent CurvePainterSurface::measureText(const std::string& text)
{
    QFontMetrics m(font_);
    return {m.horizontalAdvance(QString::fromStdString(text)), m.height()};
}

void CurvePainterSurface::drawText(int x, int y, const std::string& text, int color, int background)
{
    flushPath();
    QPainter& p = painter();
    QString s = QString::fromStdString(text);
    QFontMetrics m(font_);
    QRect box(x, y, m.horizontalAdvance(s), m.height());
    p.fillRect(box, toQColor(background));
    p.setPen(toQColor(color));
    p.drawText(QPoint(x, y + m.ascent()), s);
    p.setPen(pen_);
}

void CurvePainterSurface::copyToScreen()
{
    flushPath();
    // Ending the painter lets the screen share the picture; the next drawing
    // detaches the off-screen copy, so the screen never sees a half picture.
    painter_.reset();
    screen_ = canvas();
    refreshLabels();
}

void CurvePainterSurface::refreshLabels()
{
    if (onShow_)
        onShow_();
}

// ---- widget

CurveGraphWidget::CurveGraphWidget(CurveGraph& model, QWidget* parent)
        : QWidget(parent), model_(model), surface_([this] { update(); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    QFont f = font();
    f.setPointSize(12);
    setFont(f);
    surface_.setBaseFont(font());
    model_.setSurface(&surface_);
    // Owners may draw before the first resize (a graph stacked out of sight).
    model_.Initialize_DrawCurve();
}

CurveGraphWidget::~CurveGraphWidget() { model_.setSurface(nullptr); }

void CurveGraphWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        surface_.setBaseFont(font());
        model_.setSurface(&surface_);  // re-measures title and legends
    }
    QWidget::changeEvent(event);
}

void CurveGraphWidget::resizeEvent(QResizeEvent*)
{
    try {
        model_.resize(width(), height());
    } catch (const std::domain_error&) {
        // Ranges the owner has not set up yet: the screen keeps its picture until the owner draws.
    }
}

void CurveGraphWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (surface_.screen().size() != size())
        p.fillRect(rect(), toQColor(model_.BackColor()));
    p.drawImage(0, 0, surface_.screen());
    p.setFont(surface_.font());

    struct Shown {
        const CurveLabel* label;
        int color;
    };
    std::vector<Shown> shown{{&model_.title(), model_.AxesColor()}};
    for (int i = 0; i < model_.CurveCount(); ++i)
        if (model_.legend(i).label.visible)
            shown.push_back({&model_.legend(i).label, model_.CurveLineColor(i)});
    std::stable_sort(shown.begin(), shown.end(),
                     [](const Shown& a, const Shown& b) { return a.label->z < b.label->z; });
    const int ascent = QFontMetrics(surface_.font()).ascent();
    for (const Shown& s : shown) {
        p.setPen(toQColor(s.color));
        p.drawText(QPointF(s.label->left, s.label->top + ascent), QString::fromStdString(s.label->caption));
    }

    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < model_.CurveCount(); ++i) {
        const CurveLegend& l = model_.legend(i);
        if (!l.outlineVisible)
            continue;
        p.setPen(QPen(toQColor(l.outlineColor), 1));
        p.drawRect(QRectF(l.outlineLeft, l.outlineTop, l.outlineRight - l.outlineLeft - 1,
                          l.outlineBottom - l.outlineTop - 1));
    }
}

bool CurveGraphWidget::pressOnLegend(QMouseEvent* event)
{
    QPointF at = event->position();
    int i = model_.legendAt(static_cast<float>(at.x()), static_cast<float>(at.y()));
    if (i < 0)
        return false;
    draggedLegend_ = i;
    model_.legendMouseDown(i, mouseButton(event->button()), static_cast<float>(at.x()), static_cast<float>(at.y()));
    return true;
}

void CurveGraphWidget::mousePressEvent(QMouseEvent* event)
{
    if (pressOnLegend(event))
        return;
    QPointF at = event->position();
    Q_EMIT MouseDown(mouseButton(event->button()), shiftState(event->modifiers()), static_cast<float>(at.x()),
                     static_cast<float>(at.y()));
}

void CurveGraphWidget::mouseMoveEvent(QMouseEvent* event)
{
    QPointF at = event->position();
    if (draggedLegend_ >= 0 && draggedLegend_ < model_.CurveCount()) {
        model_.legendMouseMove(draggedLegend_, static_cast<float>(at.x()), static_cast<float>(at.y()));
        return;
    }
    Q_EMIT MouseMove(mouseButton(event->buttons()), shiftState(event->modifiers()), static_cast<float>(at.x()),
                     static_cast<float>(at.y()));
}

void CurveGraphWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (draggedLegend_ >= 0) {
        if (draggedLegend_ < model_.CurveCount())
            model_.legendMouseUp(draggedLegend_);
        draggedLegend_ = -1;
        return;
    }
    QPointF at = event->position();
    Q_EMIT MouseUp(mouseButton(event->button()), shiftState(event->modifiers()), static_cast<float>(at.x()),
                   static_cast<float>(at.y()));
}

void CurveGraphWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (pressOnLegend(event))
        return;
    Q_EMIT DblClick();
}

}  // namespace klv
