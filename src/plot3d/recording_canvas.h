// A canvas that draws nothing and keeps every drawing call with the pen, brush and font in force,
// so that a picture can be checked call by call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plot3d/canvas.h"

class RecordingCanvas final : public Canvas {
public:
    enum class Kind : std::uint8_t { Line, Polygon, Ellipse, Rectangle, FillRect, Text, Clip };

    struct Op {
        Kind kind = Kind::Line;
        // Line: from, to. Polygon: its corners. Ellipse, Rectangle, FillRect, Clip: top left,
        // bottom right. Text: its top left corner.
        std::vector<ScreenPoint> points;
        std::string text;
        PlotColour pen = kPlotBlack;
        std::int32_t penWidth = 1;
        PlotColour brush = kPlotWhite;
        BrushStyle brushStyle = BrushStyle::Solid;
        PlotFont font;
        PlotColour fontColour = kPlotBlack;
    };

    std::vector<Op> ops;

    void MoveTo(std::int32_t x, std::int32_t y) override;
    void LineTo(std::int32_t x, std::int32_t y) override;
    void Polygon(std::span<const ScreenPoint> points) override;
    void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
    void SetPenColour(PlotColour colour) override { pen_ = colour; }
    void SetPenWidth(std::int32_t width) override { penWidth_ = width; }
    std::int32_t PenWidth() const override { return penWidth_; }
    void SetBrushColour(PlotColour colour) override { brush_ = colour; }
    void SetBrushStyle(BrushStyle style) override { brushStyle_ = style; }
    void SetFont(const PlotFont& font) override { font_ = font; }
    void SetFontColour(PlotColour colour) override { fontColour_ = colour; }
    void SetClipRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;

    // The recorded calls of one kind, in order.
    std::vector<Op> OfKind(Kind kind) const;
    std::size_t Count(Kind kind) const;
    // Whether a line joins a and b, drawn in either direction.
    bool HasLine(ScreenPoint a, ScreenPoint b) const;

private:
    void Record(Kind kind, std::vector<ScreenPoint> points, std::string text = {});

    ScreenPoint penPos_;
    PlotColour pen_ = kPlotBlack;
    std::int32_t penWidth_ = 1;
    PlotColour brush_ = kPlotWhite;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    PlotFont font_;
    PlotColour fontColour_ = kPlotBlack;
};
