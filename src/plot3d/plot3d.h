// The 3-D scatter plot engine: points (and a reference box with axes, planes and ordination lines)
// rotated about three axes, projected orthographically, and drawn back to front onto a Canvas.
// It keeps where every symbol landed so that a click can be mapped back to its point. It knows
// nothing of where the points come from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/types.h"
#include "plot3d/canvas.h"

// Symbol shapes: the low byte of t3dsymbol::Shape; other codes draw nothing.
enum PlotShape : std::uint8_t {
    kShapePoint = 0,
    kShapeCircle = 1,
    kShapeSquare = 2,
    kShapeDiamond = 3,
    kShapeTriangleDown = 4,
    kShapeTriangleUp = 5,
    kShapeTriangleLeft = 6,
    kShapeTriangleRight = 7,
    kShapeCrossUp = 8,
    kShapeCrossSide = 9,
    kShapeEllipseUp = 10,
    kShapeEllipseSide = 11,
    kShapeRectangleUp = 12,
    kShapeRectangleSide = 13,
};
inline constexpr std::size_t kShapeCount = 14;
// The shapes' names by code.
extern const std::array<const char*, kShapeCount> kShapeNames;

// Ordination-line reference of one axis: none, to 0, to the box's low bound, to its high bound.
inline constexpr std::uint8_t kRefNone = 0;
inline constexpr std::uint8_t kRefZero = 1;
inline constexpr std::uint8_t kRefLow = 2;
inline constexpr std::uint8_t kRefHigh = 3;

// Pen of a point's ordination lines: foreground, the point's Colour, its LineColour, unchanged.
inline constexpr std::uint8_t kLinePenFore = 0;
inline constexpr std::uint8_t kLinePenColour = 1;
inline constexpr std::uint8_t kLinePenLineColour = 2;
inline constexpr std::uint8_t kLinePenUnchanged = 3;

inline constexpr std::size_t kMaxLabelLength = 255;

// One plotted point.
struct t3dsymbol {
    float X = 0.0f;
    float Y = 0.0f;
    float Z = 0.0f;
    std::uint16_t Shape = 0;  // low byte the shape; high byte a shape drawn in red over it
    std::string Label;        // at most kMaxLabelLength characters
    std::uint16_t Size = 0;   // half-width of the symbol in pixels
    PlotColour Colour = kPlotBlack;
    PlotColour LineColour = kPlotBlack;
    bool ShowLabel = false;       // draw the label
    std::uint8_t Refs = 0;        // bits 0-1 X, 2-3 Y, 4-5 Z reference; 6-7 line pen mode
    std::uint16_t FontIndex = 0;  // 0: the default font; n: entry n of the plot's fonts
};
using a3dsymbol = std::vector<t3dsymbol>;

// An extended value as single precision; values beyond its range become its largest finite value
// (a plain conversion of such a value is undefined).
float ToSingle(Extended x);
// Whether x converts to a finite single-precision value.
bool FitsSingle(Extended x);

inline std::uint8_t ShapeOf(std::uint16_t shape) { return static_cast<std::uint8_t>(shape & 0xFFu); }
inline std::uint8_t OverlayShapeOf(std::uint16_t shape) { return static_cast<std::uint8_t>(shape >> 8); }

struct DecodedRefs {
    std::uint8_t X = 0;
    std::uint8_t Y = 0;
    std::uint8_t Z = 0;
    std::uint8_t LineColourMode = 0;
};
DecodedRefs DecodeRefs(std::uint8_t refs);

struct HitRec {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::uint32_t Index = 0;  // the point
};
struct BoxScreenRec {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::uint32_t Vertex = 0;  // box vertex 0..26
};

// Bits of tplot3d::Flags.
inline constexpr std::uint8_t kFlagPoints = 0x01;
inline constexpr std::uint8_t kFlagBox = 0x02;
inline constexpr std::uint8_t kFlagLines = 0x04;
inline constexpr std::uint8_t kFlagXLines = 0x10;
inline constexpr std::uint8_t kFlagYLines = 0x20;
inline constexpr std::uint8_t kFlagZLines = 0x40;

// The ordination lines drawn along each axis.
struct OrdinationLines {
    bool X = false, Y = false, Z = false;
};
// The halves of the coordinate axes drawn, from the origin to the box's high and low bounds.
struct AxesShown {
    bool Positive = false, Negative = false;
};
// The planes through the origin: Z = 0, Y = 0, X = 0.
struct InternalPlanes {
    bool XY = false, XZ = false, YZ = false;
};
// The box's faces: Z, Y, X = low bound and Z, Y, X = high bound.
struct ExternalPlanes {
    bool NegXY = false, NegXZ = false, NegYZ = false, PosXY = false, PosXZ = false, PosYZ = false;
};

// Box vertices are numbered 9 i + 3 j + k for X, Y, Z indices 0 (low bound), 1 (zero), 2 (high).
inline constexpr std::size_t kBoxVertexCount = 27;
inline constexpr std::size_t kBoxOrigin = 13;

// The plot. Angles are kept in radians and taken in degrees; a view change is followed by the
// caller's ClearCanvas and Draw.
class tplot3d {
public:
    bool UseSSE = false;  // project four vertices at a time (the same picture)
    float RotX = 0.0f, RotY = 0.0f, RotZ = 0.0f;
    float ScaleX = 0.0f, ScaleY = 0.0f, ScaleZ = 0.0f;
    // The points, shared with the caller: changes on either side are seen by both.
    std::shared_ptr<a3dsymbol> Symbols;
    float Zoom = 0.0f;
    PlotColour BackColour = kPlotBlack;
    PlotColour ForeColour = kPlotBlack;
    PlotColour FontColour = kPlotBlack;  // the labels' colour, set with the foreground by SetColours
    bool ShowXLines = false, ShowYLines = false, ShowZLines = false;
    std::uint8_t LineAxisCount = 0;
    std::int32_t OriginX = 0, OriginY = 0;  // screen position of (0, 0, 0)
    std::vector<HitRec> HitList;            // drawn symbols in drawing order
    std::vector<BoxScreenRec> BoxScreen;    // visited box vertices in visiting order
    std::size_t HitCount = 0;
    PlotColour ExternalPlaneColour = kPlotBlack;
    PlotColour InternalPlaneColour = kPlotBlack;
    bool ShowXY = false, ShowXZ = false, ShowYZ = false;  // planes Z = 0, Y = 0, X = 0
    // Faces Z, Y, X = high bound and Z, Y, X = low bound.
    bool ShowPosXY = false, ShowPosXZ = false, ShowPosYZ = false, ShowNegXY = false, ShowNegXZ = false,
         ShowNegYZ = false;
    bool ShowPositiveAxes = false, ShowNegativeAxes = false;
    std::uint8_t AxisWidth = 0;
    std::uint8_t GridWidth = 0;
    std::vector<PlotFont> Fonts;  // entry 0 is the default font
    // All vertices: the points, then the box, then the ordination-line blocks.
    ASingle VX, VY, VZ;
    std::uint8_t Flags = 0;
    std::size_t BoxCount = 0;
    std::size_t PointCount = 0;
    std::size_t XLineStart = 0, YLineStart = 0, ZLineStart = 0;  // 0: no block
    std::size_t BoxStart = 0;
    std::int32_t Width = 0, Height = 0;
    std::uint16_t HitRadius = 0;  // half-width of the hit square

    // Binds the plot to a picture of this size with this default font and resets the view.
    void Init(std::int32_t width, std::int32_t height, const PlotFont& font);
    // The picture's new size; the origin keeps its offset from the centre (not below 0).
    void Resize(std::int32_t width, std::int32_t height);
    // Empties the hit list, the box screen list, the fonts and the vertices.
    void ClearArrays();

    void SetZoom(float zoom) { Zoom = zoom; }
    void SetScale(float x, float y, float z);
    void SetOrigin(std::int32_t x, std::int32_t y);
    void SetColours(PlotColour background, PlotColour foreground);
    // Angles in degrees.
    void SetRotation(float x, float y, float z);
    void Rotate(float dx, float dy, float dz);
    // Brings each angle into [-2 pi, 2 pi]; an angle that is not finite becomes 0.
    void WrapAngles();

    // Takes the points (shared) and drops the box and the line blocks.
    void SetSymbols(std::shared_ptr<a3dsymbol> points);
    // Over all points, each starting from 0: X max, X min, Y max, Y min, Z max, Z min.
    std::array<float, 6> GetExtent() const;
    void BuildBox(float xHigh, float xLow, float yHigh, float yLow, float zHigh, float zLow);
    // The ordination lines along X, Y, Z and their vertex blocks.
    void SetAxes(OrdinationLines lines);
    void SetXReference(std::uint8_t r);
    void SetYReference(std::uint8_t r);
    void SetZReference(std::uint8_t r);
    void ShowLabels(bool shown);
    void SetSymbolSize(std::uint16_t size);
    void UpdateHitRadius() { HitRadius = MaxSymbolSize(); }
    std::uint16_t MaxSymbolSize() const;
    void SetAxesStyle(AxesShown axes);
    void SetInternalPlanes(InternalPlanes planes, PlotColour colour);
    void SetExternalPlanes(ExternalPlanes planes, PlotColour colour);

    // Fills the picture with the background.
    void ClearCanvas(Canvas& canvas) const;
    // Draws the scene onto the canvas without clearing it first.
    void Draw(Canvas& canvas);
    // The point whose symbol covers (x, y); the symbol drawn last wins.
    bool FindSymbolAt(std::int32_t x, std::int32_t y, std::size_t& index) const;

    // Screen positions and depth keys of all vertices, by the scalar or the four-wide routine.
    void ProjectScalar();
    void ProjectVector();
    const std::vector<std::int32_t>& ScreenX() const { return sx_; }
    const std::vector<std::int32_t>& ScreenY() const { return sy_; }
    const std::vector<std::int32_t>& DepthKeys() const { return depth_; }

    // One symbol of the given shape code centred at (x, y) with half-width size.
    static void DrawSymbol(Canvas& canvas, std::uint8_t shape, std::int32_t x, std::int32_t y, std::uint16_t size);

    // Cosine and sine of the three angles.
    struct ProjectionTrig {
        float c1, s1, c2, s2, c3, s3;
    };

private:
    // Sizes the projected arrays to the vertices and gives the angles' cosines and sines.
    ProjectionTrig StartProjection();
    void ProjectOne(const ProjectionTrig& t, std::size_t i);
    void ResizeVertices(std::size_t count);
    void SetReference(unsigned shift, std::uint8_t r);
    // The projection under round-to-nearest; the screen positions then get the origin added.
    void Project();
    void AddOrigin();
    ScreenPoint Screen(std::size_t vertex) const;
    ScreenPoint BoxVertex(std::size_t w) const;
    void DrawPlanes(Canvas& canvas) const;
    void DrawPoint(Canvas& canvas, std::size_t n);
    void DrawBoxVertex(Canvas& canvas, std::size_t w);
    void DrawEdge(Canvas& canvas, std::size_t w, std::size_t a, std::size_t b, bool f) const;
    void DrawPlaneEdge(Canvas& canvas, std::size_t w, std::size_t a, std::size_t b, bool f, bool shown) const;

    std::vector<std::int32_t> sx_, sy_, depth_;
    bool fx_ = false, fy_ = false, fz_ = false;
};
