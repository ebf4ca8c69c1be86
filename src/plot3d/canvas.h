// The drawing surface of the 3-D plot: what the engine asks of a picture (lines, filled polygons,
// ellipses, rectangles, text, pens, brushes, fonts, a clip rectangle). The viewer implements it on
// a bitmap or a vector picture; the tests record every call.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// A colour as 0x00BBGGRR: red in the low byte, blue in the third. Only the low 24 bits are drawn.
using PlotColour = std::uint32_t;

inline constexpr PlotColour kPlotBlack = 0x000000;
inline constexpr PlotColour kPlotWhite = 0xFFFFFF;
inline constexpr PlotColour kPlotRed = 0x0000FF;

inline constexpr std::uint8_t RedOf(PlotColour c) { return static_cast<std::uint8_t>(c & 0xFFu); }
inline constexpr std::uint8_t GreenOf(PlotColour c) { return static_cast<std::uint8_t>((c >> 8) & 0xFFu); }
inline constexpr std::uint8_t BlueOf(PlotColour c) { return static_cast<std::uint8_t>((c >> 16) & 0xFFu); }
inline constexpr PlotColour MakePlotColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<PlotColour>(red) | (static_cast<PlotColour>(green) << 8) | (static_cast<PlotColour>(blue) << 16);
}

// A pixel position; y grows downwards.
struct ScreenPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

enum class BrushStyle : std::uint8_t { Solid, Clear };

// A label font; an empty family and size 0 stand for the canvas's own default.
struct PlotFont {
    std::string Family;
    int PointSize = 0;
    bool Bold = false;
    bool Italic = false;
    friend bool operator==(const PlotFont&, const PlotFont&) = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // The pen position; LineTo draws from it to (x, y) with the pen and moves it there.
    virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
    virtual void LineTo(std::int32_t x, std::int32_t y) = 0;
    // Filled with the brush and outlined with the pen.
    virtual void Polygon(std::span<const ScreenPoint> points) = 0;
    // In the box from (left, top) to (right, bottom), the right and bottom edges excluded; filled
    // with the brush and outlined with the pen.
    virtual void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
    virtual void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
    // The brush only, no outline.
    virtual void FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
    // The text's top left corner at (x, y), in the font colour; a solid brush fills the text's
    // background, a clear one leaves it.
    virtual void TextOut(std::int32_t x, std::int32_t y, std::string_view text) = 0;

    virtual void SetPenColour(PlotColour colour) = 0;
    // 0 is the thinnest line the surface draws.
    virtual void SetPenWidth(std::int32_t width) = 0;
    virtual std::int32_t PenWidth() const = 0;
    virtual void SetBrushColour(PlotColour colour) = 0;
    virtual void SetBrushStyle(BrushStyle style) = 0;
    virtual void SetFont(const PlotFont& font) = 0;
    virtual void SetFontColour(PlotColour colour) = 0;
    // Nothing is drawn outside this rectangle from now on.
    virtual void SetClipRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
};
