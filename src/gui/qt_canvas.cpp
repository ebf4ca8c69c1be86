#include "gui/qt_canvas.h"

#include <QFontMetrics>
#include <QPen>
#include <QPolygon>
#include <QRectF>

#include <algorithm>

#include "gui/qt_text.h"

QColor ToQColor(PlotColour colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

PlotColour FromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return MakePlotColour(static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
                          static_cast<std::uint8_t>(rgb.blue()));
}

namespace {

// The box of a shape whose right and bottom edges are excluded, for an outline through pixel
// centres (the painter is shifted by half a pixel).
QRectF OutlineBox(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    const double width = std::max(0.0, static_cast<double>(right) - left - 1.0);
    const double height = std::max(0.0, static_cast<double>(bottom) - top - 1.0);
    return QRectF(left, top, width, height);
}

}  // namespace

QtCanvas::QtCanvas(QPaintDevice* device, const QFont& defaultFont) : painter_(device), defaultFont_(defaultFont) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    // Integer positions fall on pixel centres, so one-pixel lines stay sharp.
    painter_.translate(0.5, 0.5);
    painter_.setFont(defaultFont_);
    ApplyPen();
    ApplyBrush();
}

void QtCanvas::ApplyPen() {
    QPen pen(penColour_);
    pen.setWidth(std::max(penWidth_, 0));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);
}

void QtCanvas::ApplyBrush() {
    painter_.setBrush(brushStyle_ == BrushStyle::Solid ? QBrush(brushColour_) : QBrush(Qt::NoBrush));
}

void QtCanvas::MoveTo(std::int32_t x, std::int32_t y) { penPos_ = QPoint(x, y); }

void QtCanvas::LineTo(std::int32_t x, std::int32_t y) {
    const QPoint to(x, y);
    painter_.drawLine(penPos_, to);
    penPos_ = to;
}

void QtCanvas::Polygon(std::span<const ScreenPoint> points) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const ScreenPoint& p : points) polygon << QPoint(p.X, p.Y);
    painter_.drawPolygon(polygon);
}

void QtCanvas::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    painter_.drawEllipse(OutlineBox(left, top, right, bottom));
}

void QtCanvas::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    painter_.drawRect(OutlineBox(left, top, right, bottom));
}

void QtCanvas::FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    if (brushStyle_ != BrushStyle::Solid) return;
    painter_.fillRect(
        QRectF(left - 0.5, top - 0.5, static_cast<double>(right) - left, static_cast<double>(bottom) - top),
        brushColour_);
}

void QtCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    const QString qtext = ToQt(text);
    const QFontMetrics metrics(painter_.font());
    if (brushStyle_ == BrushStyle::Solid)
        painter_.fillRect(QRectF(x - 0.5, y - 0.5, metrics.horizontalAdvance(qtext), metrics.height()), brushColour_);
    painter_.save();
    painter_.setPen(fontColour_);
    painter_.drawText(QPointF(x - 0.5, y - 0.5 + metrics.ascent()), qtext);
    painter_.restore();
}

void QtCanvas::SetPenColour(PlotColour colour) {
    penColour_ = ToQColor(colour);
    ApplyPen();
}

void QtCanvas::SetPenWidth(std::int32_t width) {
    penWidth_ = width;
    ApplyPen();
}

void QtCanvas::SetBrushColour(PlotColour colour) {
    brushColour_ = ToQColor(colour);
    ApplyBrush();
}

void QtCanvas::SetBrushStyle(BrushStyle style) {
    brushStyle_ = style;
    ApplyBrush();
}

void QtCanvas::SetFont(const PlotFont& font) {
    if (font == PlotFont{}) {
        painter_.setFont(defaultFont_);
        return;
    }
    QFont f = defaultFont_;
    if (!font.Family.empty()) f.setFamily(ToQt(font.Family));
    if (font.PointSize > 0) f.setPointSize(font.PointSize);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    painter_.setFont(f);
}

void QtCanvas::SetClipRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    painter_.setClipRect(
        QRectF(left - 0.5, top - 0.5, static_cast<double>(right) - left, static_cast<double>(bottom) - top));
}
