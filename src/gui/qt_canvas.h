#pragma once
// The plot engine's canvas on a Qt paint device: a QImage for the window and bitmaps, a
// QSvgGenerator for vector pictures. Painting lasts as long as the canvas.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPoint>

#include "plot3d/canvas.h"

class QPaintDevice;

QColor ToQColor(PlotColour colour);
PlotColour FromQColor(const QColor& colour);

class QtCanvas final : public Canvas {
public:
    // defaultFont stands for the empty PlotFont.
    QtCanvas(QPaintDevice* device, const QFont& defaultFont);
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    void MoveTo(std::int32_t x, std::int32_t y) override;
    void LineTo(std::int32_t x, std::int32_t y) override;
    void Polygon(std::span<const ScreenPoint> points) override;
    void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
    void SetPenColour(PlotColour colour) override;
    void SetPenWidth(std::int32_t width) override;
    std::int32_t PenWidth() const override { return penWidth_; }
    void SetBrushColour(PlotColour colour) override;
    void SetBrushStyle(BrushStyle style) override;
    void SetFont(const PlotFont& font) override;
    void SetFontColour(PlotColour colour) override { fontColour_ = ToQColor(colour); }
    void SetClipRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;

private:
    void ApplyPen();
    void ApplyBrush();

    QPainter painter_;
    QFont defaultFont_;
    QPoint penPos_;
    QColor penColour_{Qt::black};
    std::int32_t penWidth_ = 1;
    QColor brushColour_{Qt::white};
    BrushStyle brushStyle_ = BrushStyle::Solid;
    QColor fontColour_{Qt::black};
};
