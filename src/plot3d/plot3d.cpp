#include "plot3d/plot3d.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>
#include <utility>

#include "foundation/number_text.h"

const std::array<const char*, kShapeCount> kShapeNames = {
    "Point",          "Circle",   "Square",     "Diamond",    "Triangle down", "Triangle up",  "Triangle left",
    "Triangle right", "Cross up", "Cross side", "Ellipse up", "Ellipse side",  "Rectangle up", "Rectangle side",
};

namespace {

constexpr Extended kPi = 3.14159265358979324L;
constexpr Extended kTwoPi = 6.28318530717958648L;
constexpr float kDegreesPerHalfTurn = 180.0f;

Extended ToRadians(float degrees) { return static_cast<Extended>(degrees) * kPi / kDegreesPerHalfTurn; }

float Wrap(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    Extended a = angle;
    // The remainder in one step: subtracting 2 pi in a loop never ends for an angle so large that
    // the subtraction no longer changes it. A multiple of 2 pi ends at 2 pi, as the loop would.
    if (a > kTwoPi) {
        a = std::fmod(a, kTwoPi);
        if (!(a > 0.0L)) a = kTwoPi;
    } else if (a < -kTwoPi) {
        a = std::fmod(a, kTwoPi);
        if (!(a < 0.0L)) a = -kTwoPi;
    }
    return static_cast<float>(a);
}

// The box edges between two corners: the edge, the axis it runs along (0 X, 1 Y, 2 Z) and the
// two faces it borders, as indices into the face switches (negXY, negXZ, negYZ, posXY, posXZ, posYZ).
struct BoxEdge {
    std::size_t a, b;
    int axis;
    int face1, face2;
};
constexpr int kNegXY = 0, kNegXZ = 1, kNegYZ = 2, kPosXY = 3, kPosXZ = 4, kPosYZ = 5;
// clang-format off
constexpr std::array<BoxEdge, 12> kBoxEdges = {{
    {0, 6, 1, kNegYZ, kNegXY},   {0, 2, 2, kNegYZ, kNegXZ},   {2, 8, 1, kNegYZ, kPosXY},
    {6, 8, 2, kNegYZ, kPosXZ},   {18, 24, 1, kPosYZ, kNegXY}, {18, 20, 2, kPosYZ, kNegXZ},
    {20, 26, 1, kPosYZ, kPosXY}, {24, 26, 2, kPosYZ, kPosXZ}, {0, 18, 0, kNegXY, kNegXZ},
    {6, 24, 0, kNegXY, kPosXZ},  {2, 20, 0, kPosXY, kNegXZ},  {8, 26, 0, kPosXY, kPosXZ},
}};
// clang-format on

// The outlines of the planes through 0: the edge, its axis, and the plane (0 XY, 1 XZ, 2 YZ).
struct PlaneEdge {
    std::size_t a, b;
    int axis;
    int plane;
};
// clang-format off
constexpr std::array<PlaneEdge, 12> kPlaneEdges = {{
    {1, 7, 1, 0},  {19, 25, 1, 0}, {1, 19, 0, 0},  {7, 25, 0, 0},
    {3, 5, 2, 1},  {21, 23, 2, 1}, {3, 21, 0, 1},  {5, 23, 0, 1},
    {9, 15, 1, 2}, {9, 11, 2, 2},  {11, 17, 1, 2}, {15, 17, 2, 2},
}};
// clang-format on

bool IsAxisVertex(std::size_t w) {
    return w == 4 || w == 10 || w == 12 || w == kBoxOrigin || w == 14 || w == 16 || w == 22;
}
bool IsCorner(std::size_t w) {
    return w == 0 || w == 2 || w == 6 || w == 8 || w == 18 || w == 20 || w == 24 || w == 26;
}

}  // namespace

float ToSingle(Extended x) {
    constexpr Extended kLargest = std::numeric_limits<float>::max();
    if (std::isnan(x)) return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(std::clamp(x, -kLargest, kLargest));
}

bool FitsSingle(Extended x) { return std::isfinite(x) && std::fabs(x) <= std::numeric_limits<float>::max(); }

DecodedRefs DecodeRefs(std::uint8_t refs) {
    return {static_cast<std::uint8_t>(refs & 3u), static_cast<std::uint8_t>((refs >> 2) & 3u),
            static_cast<std::uint8_t>((refs >> 4) & 3u), static_cast<std::uint8_t>((refs >> 6) & 3u)};
}

void tplot3d::Init(std::int32_t width, std::int32_t height, const PlotFont& font) {
    Width = width;
    Height = height;
    OriginX = Width / 2;
    OriginY = Height / 2;
    ScaleX = ScaleY = ScaleZ = 1.0f;
    Zoom = 1.0f;
    RotX = RotY = RotZ = 0.0f;
    BackColour = kPlotWhite;
    ClearArrays();
    Fonts.push_back(font);
    HitCount = 0;
    BoxCount = 0;
    PointCount = 0;
    XLineStart = YLineStart = ZLineStart = 0;
    BoxStart = 0;
    LineAxisCount = 0;
    Flags = 0;
    HitRadius = 0;
}

void tplot3d::Resize(std::int32_t width, std::int32_t height) {
    OriginX = std::max(OriginX - Width / 2 + width / 2, 0);
    OriginY = std::max(OriginY - Height / 2 + height / 2, 0);
    Width = width;
    Height = height;
}

void tplot3d::ClearArrays() {
    HitList.clear();
    BoxScreen.clear();
    Fonts.clear();
    VX.clear();
    VY.clear();
    VZ.clear();
    sx_.clear();
    sy_.clear();
    depth_.clear();
}

void tplot3d::SetScale(float x, float y, float z) {
    ScaleX = x;
    ScaleY = y;
    ScaleZ = z;
}

void tplot3d::SetOrigin(std::int32_t x, std::int32_t y) {
    OriginX = x;
    OriginY = y;
}

void tplot3d::SetColours(PlotColour background, PlotColour foreground) {
    BackColour = background;
    ForeColour = foreground;
    FontColour = foreground;
}

void tplot3d::SetRotation(float x, float y, float z) {
    RotX = static_cast<float>(ToRadians(x));
    RotY = static_cast<float>(ToRadians(y));
    RotZ = static_cast<float>(ToRadians(z));
    WrapAngles();
}

void tplot3d::Rotate(float dx, float dy, float dz) {
    RotX = static_cast<float>(static_cast<Extended>(RotX) + ToRadians(dx));
    RotY = static_cast<float>(static_cast<Extended>(RotY) + ToRadians(dy));
    RotZ = static_cast<float>(static_cast<Extended>(RotZ) + ToRadians(dz));
    WrapAngles();
}

void tplot3d::WrapAngles() {
    RotX = Wrap(RotX);
    RotY = Wrap(RotY);
    RotZ = Wrap(RotZ);
}

void tplot3d::ResizeVertices(std::size_t count) {
    VX.resize(count);
    VY.resize(count);
    VZ.resize(count);
}

void tplot3d::SetSymbols(std::shared_ptr<a3dsymbol> points) {
    Symbols = std::move(points);
    PointCount = Symbols ? Symbols->size() : 0;
    Flags = kFlagPoints;
    BoxCount = 0;
    BoxStart = 0;
    XLineStart = YLineStart = ZLineStart = 0;
    ResizeVertices(PointCount);
    for (std::size_t i = 0; i < PointCount; ++i) {
        const t3dsymbol& s = (*Symbols)[i];
        VX[i] = s.X;
        VY[i] = s.Y;
        VZ[i] = s.Z;
    }
    HitRadius = MaxSymbolSize();
}

std::array<float, 6> tplot3d::GetExtent() const {
    std::array<float, 6> e{};
    if (!Symbols) return e;
    for (const t3dsymbol& s : *Symbols) {
        e[0] = std::max(e[0], s.X);
        e[1] = std::min(e[1], s.X);
        e[2] = std::max(e[2], s.Y);
        e[3] = std::min(e[3], s.Y);
        e[4] = std::max(e[4], s.Z);
        e[5] = std::min(e[5], s.Z);
    }
    return e;
}

void tplot3d::BuildBox(float xHigh, float xLow, float yHigh, float yLow, float zHigh, float zLow) {
    BoxCount = kBoxVertexCount;
    BoxStart = PointCount;
    Flags = (Flags & kFlagPoints) != 0 ? (kFlagPoints | kFlagBox) : kFlagBox;
    XLineStart = YLineStart = ZLineStart = 0;
    ResizeVertices(PointCount + kBoxVertexCount);
    const std::array<float, 3> xs{xLow, 0.0f, xHigh};
    const std::array<float, 3> ys{yLow, 0.0f, yHigh};
    const std::array<float, 3> zs{zLow, 0.0f, zHigh};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            for (std::size_t k = 0; k < 3; ++k) {
                const std::size_t v = BoxStart + 9 * i + 3 * j + k;
                VX[v] = xs[i];
                VY[v] = ys[j];
                VZ[v] = zs[k];
            }
        }
    }
}

void tplot3d::SetAxes(OrdinationLines lines) {
    ShowXLines = lines.X;
    ShowYLines = lines.Y;
    ShowZLines = lines.Z;
    const std::size_t nx = lines.X ? 1 : 0;
    const std::size_t ny = lines.Y ? 1 : 0;
    const std::size_t nz = lines.Z ? 1 : 0;
    LineAxisCount = static_cast<std::uint8_t>(nx + ny + nz);
    if (PointCount == 0 || !Symbols || Symbols->size() < PointCount) return;
    const bool hasBox = (Flags & kFlagBox) != 0;
    const std::size_t base = (hasBox ? BoxCount : 0) + PointCount;
    XLineStart = nx != 0 ? base : 0;
    YLineStart = ny != 0 ? base + nx * PointCount : 0;
    ZLineStart = nz != 0 ? base + nx * PointCount + ny * PointCount : 0;
    Flags = static_cast<std::uint8_t>(Flags & ~(kFlagLines | kFlagXLines | kFlagYLines | kFlagZLines));
    ResizeVertices((LineAxisCount + 1u) * PointCount + (hasBox ? BoxCount : 0));
    if (LineAxisCount == 0) return;
    Flags |= kFlagLines;
    // The end of a point's line on an axis: 0, or the box's low or high bound there.
    const auto end = [&](std::uint8_t ref, const ASingle& v, std::size_t low, std::size_t high) {
        if (!hasBox) return 0.0f;
        if (ref == kRefLow) return v[BoxStart + low];
        if (ref == kRefHigh) return v[BoxStart + high];
        return 0.0f;
    };
    for (std::size_t p = 0; p < PointCount; ++p) {
        const t3dsymbol& s = (*Symbols)[p];
        const DecodedRefs refs = DecodeRefs(s.Refs);
        if (nx != 0) {
            const std::size_t i = XLineStart + p;
            VX[i] = end(refs.X, VX, 4, 22);
            VY[i] = s.Y;
            VZ[i] = s.Z;
        }
        if (ny != 0) {
            const std::size_t i = YLineStart + p;
            VX[i] = s.X;
            VY[i] = end(refs.Y, VY, 10, 16);
            VZ[i] = s.Z;
        }
        if (nz != 0) {
            const std::size_t i = ZLineStart + p;
            VX[i] = s.X;
            VY[i] = s.Y;
            VZ[i] = end(refs.Z, VZ, 12, 14);
        }
    }
    if (nx != 0) Flags |= kFlagXLines;
    if (ny != 0) Flags |= kFlagYLines;
    if (nz != 0) Flags |= kFlagZLines;
}

void tplot3d::SetReference(unsigned shift, std::uint8_t r) {
    if (!Symbols) return;
    const unsigned mask = 3u << shift;
    for (t3dsymbol& s : *Symbols) s.Refs = static_cast<std::uint8_t>((s.Refs & ~mask) | ((r & 3u) << shift));
}

void tplot3d::SetXReference(std::uint8_t r) { SetReference(0, r); }
void tplot3d::SetYReference(std::uint8_t r) { SetReference(2, r); }
void tplot3d::SetZReference(std::uint8_t r) { SetReference(4, r); }

void tplot3d::ShowLabels(bool shown) {
    if (!Symbols) return;
    for (t3dsymbol& s : *Symbols) s.ShowLabel = shown;
}

void tplot3d::SetSymbolSize(std::uint16_t size) {
    if (!Symbols || Symbols->empty()) return;
    for (t3dsymbol& s : *Symbols) s.Size = size;
    HitRadius = size;
}

std::uint16_t tplot3d::MaxSymbolSize() const {
    std::uint16_t largest = 0;
    if (Symbols)
        for (const t3dsymbol& s : *Symbols) largest = std::max(largest, s.Size);
    return largest;
}

void tplot3d::SetAxesStyle(AxesShown axes) {
    ShowPositiveAxes = axes.Positive;
    ShowNegativeAxes = axes.Negative;
}

void tplot3d::SetInternalPlanes(InternalPlanes planes, PlotColour colour) {
    ShowXY = planes.XY;
    ShowXZ = planes.XZ;
    ShowYZ = planes.YZ;
    InternalPlaneColour = colour;
}

void tplot3d::SetExternalPlanes(ExternalPlanes planes, PlotColour colour) {
    ShowNegXY = planes.NegXY;
    ShowNegXZ = planes.NegXZ;
    ShowNegYZ = planes.NegYZ;
    ShowPosXY = planes.PosXY;
    ShowPosXZ = planes.PosXZ;
    ShowPosYZ = planes.PosYZ;
    ExternalPlaneColour = colour;
}

void tplot3d::ClearCanvas(Canvas& canvas) const {
    canvas.SetPenColour(BackColour);
    canvas.SetBrushColour(BackColour);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.FillRect(0, 0, Width, Height);
    canvas.SetPenColour(ForeColour);
}

ScreenPoint tplot3d::Screen(std::size_t vertex) const { return {sx_[vertex], sy_[vertex]}; }

ScreenPoint tplot3d::BoxVertex(std::size_t w) const { return Screen(BoxStart + w); }

void tplot3d::Draw(Canvas& canvas) {
    WrapAngles();
    if (VX.empty()) return;
    Project();
    const bool hasBox = (Flags & kFlagBox) != 0 && BoxCount == kBoxVertexCount;
    if (hasBox) {
        fx_ = depth_[BoxStart + 4] <= depth_[BoxStart + 22];
        fy_ = depth_[BoxStart + 10] <= depth_[BoxStart + 16];
        fz_ = depth_[BoxStart + 12] <= depth_[BoxStart + 14];
    }
    HitList.clear();
    HitList.reserve(PointCount);
    BoxScreen.clear();
    BoxScreen.reserve(BoxCount);
    HitCount = 0;

    // Back to front: every point and box vertex by ascending depth key.
    const std::size_t visited = PointCount + (hasBox ? BoxCount : 0);
    std::vector<std::int32_t> keys(depth_.begin(), depth_.begin() + static_cast<std::ptrdiff_t>(visited));
    std::vector<std::uint32_t> order(visited);
    std::iota(order.begin(), order.end(), 0u);
    QuickSortKeys(keys, order, 0, static_cast<std::ptrdiff_t>(visited) - 1);

    canvas.SetFontColour(FontColour);
    if (hasBox) DrawPlanes(canvas);
    for (const std::uint32_t n : order) {
        if (n < PointCount) DrawPoint(canvas, n);
        else DrawBoxVertex(canvas, n - BoxStart);
    }
    HitCount = HitList.size();
}

void tplot3d::DrawPlanes(Canvas& canvas) const {
    const auto face = [&](bool shown, std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
        if (!shown) return;
        const std::array<ScreenPoint, 4> corners{BoxVertex(a), BoxVertex(b), BoxVertex(c), BoxVertex(d)};
        canvas.Polygon(corners);
    };
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.SetBrushColour(ExternalPlaneColour);
    canvas.SetPenColour(ExternalPlaneColour);
    face(ShowNegXY, 0, 6, 24, 18);
    face(ShowNegXZ, 0, 2, 20, 18);
    face(ShowNegYZ, 0, 2, 8, 6);
    face(ShowPosXY, 2, 8, 26, 20);
    face(ShowPosXZ, 6, 8, 26, 24);
    face(ShowPosYZ, 18, 20, 26, 24);
    canvas.SetBrushColour(InternalPlaneColour);
    canvas.SetPenColour(InternalPlaneColour);
    face(ShowXY, 1, 7, 25, 19);
    face(ShowYZ, 9, 11, 17, 15);
    face(ShowXZ, 3, 5, 23, 21);
}

void tplot3d::DrawPoint(Canvas& canvas, std::size_t n) {
    if (!Symbols || n >= Symbols->size()) return;
    const t3dsymbol& s = (*Symbols)[n];
    const ScreenPoint p = Screen(n);
    const DecodedRefs refs = DecodeRefs(s.Refs);
    if (refs.X != 0 || refs.Y != 0 || refs.Z != 0) {
        switch (refs.LineColourMode) {
            case kLinePenFore: canvas.SetPenColour(ForeColour); break;
            case kLinePenColour: canvas.SetPenColour(s.Colour); break;
            case kLinePenLineColour: canvas.SetPenColour(s.LineColour); break;
            default: break;
        }
        const auto line = [&](std::uint8_t ref, bool shown, std::uint8_t flag, std::size_t start) {
            if (ref == kRefNone || !shown || (Flags & flag) == 0 || start == 0) return;
            const ScreenPoint from = Screen(start + n);
            canvas.MoveTo(from.X, from.Y);
            canvas.LineTo(p.X, p.Y);
        };
        line(refs.X, ShowXLines, kFlagXLines, XLineStart);
        line(refs.Y, ShowYLines, kFlagYLines, YLineStart);
        line(refs.Z, ShowZLines, kFlagZLines, ZLineStart);
    }
    canvas.SetBrushColour(s.Colour);
    canvas.SetPenColour(s.Colour);
    HitList.push_back({p.X, p.Y, static_cast<std::uint32_t>(n)});
    const std::uint8_t shape = ShapeOf(s.Shape);
    const std::uint8_t overlay = OverlayShapeOf(s.Shape);
    DrawSymbol(canvas, shape, p.X, p.Y, s.Size);
    if (overlay != 0 && overlay != shape) {
        canvas.SetBrushColour(kPlotRed);
        canvas.SetPenColour(kPlotRed);
        DrawSymbol(canvas, overlay, p.X, p.Y, s.Size);
    }
    if (s.ShowLabel) {
        canvas.SetBrushStyle(BrushStyle::Clear);
        // A font index past the list (no such font was ever added) keeps the default font.
        const bool ownFont = s.FontIndex != 0 && s.FontIndex < Fonts.size();
        if (ownFont) canvas.SetFont(Fonts[s.FontIndex]);
        canvas.TextOut(p.X + s.Size, p.Y + s.Size, s.Label);
        if (ownFont) canvas.SetFont(Fonts[0]);
        canvas.SetBrushStyle(BrushStyle::Solid);
    }
}

void tplot3d::DrawEdge(Canvas& canvas, std::size_t w, std::size_t a, std::size_t b, bool f) const {
    // Each edge is drawn once, at the turn of the end given by its direction flag.
    if (w == a && f) {
        const ScreenPoint from = BoxVertex(a), to = BoxVertex(b);
        canvas.MoveTo(from.X, from.Y);
        canvas.LineTo(to.X, to.Y);
    } else if (w == b && !f) {
        const ScreenPoint from = BoxVertex(b), to = BoxVertex(a);
        canvas.MoveTo(from.X, from.Y);
        canvas.LineTo(to.X, to.Y);
    }
}

void tplot3d::DrawPlaneEdge(Canvas& canvas, std::size_t w, std::size_t a, std::size_t b, bool f,
                            bool shown) const {
    if (shown) DrawEdge(canvas, w, a, b, f);
}

void tplot3d::DrawBoxVertex(Canvas& canvas, std::size_t w) {
    canvas.SetPenColour(ForeColour);
    const std::int32_t penWidth = canvas.PenWidth();
    const std::array<bool, 3> along{fx_, fy_, fz_};
    if (IsAxisVertex(w)) {
        canvas.SetPenWidth(AxisWidth);
        if (ShowNegativeAxes) {
            DrawEdge(canvas, w, 4, kBoxOrigin, fx_);
            DrawEdge(canvas, w, 10, kBoxOrigin, fy_);
            DrawEdge(canvas, w, 12, kBoxOrigin, fz_);
        }
        if (ShowPositiveAxes) {
            DrawEdge(canvas, w, kBoxOrigin, 22, fx_);
            DrawEdge(canvas, w, kBoxOrigin, 16, fy_);
            DrawEdge(canvas, w, kBoxOrigin, 14, fz_);
        }
    } else if (IsCorner(w)) {
        canvas.SetPenWidth(GridWidth);
        const std::array<bool, 6> faces{ShowNegXY, ShowNegXZ, ShowNegYZ, ShowPosXY, ShowPosXZ, ShowPosYZ};
        for (const BoxEdge& e : kBoxEdges) {
            const auto idx = [](int i) { return static_cast<std::size_t>(i); };
            const bool shown = faces[idx(e.face1)] || faces[idx(e.face2)];
            DrawPlaneEdge(canvas, w, e.a, e.b, along[idx(e.axis)], shown);
        }
    } else {
        canvas.SetPenWidth(GridWidth);
        const std::array<bool, 3> planes{ShowXY, ShowXZ, ShowYZ};
        for (const PlaneEdge& e : kPlaneEdges)
            DrawPlaneEdge(canvas, w, e.a, e.b, along[static_cast<std::size_t>(e.axis)],
                          planes[static_cast<std::size_t>(e.plane)]);
    }
    const ScreenPoint p = BoxVertex(w);
    BoxScreen.push_back({p.X, p.Y, static_cast<std::uint32_t>(w)});
    canvas.SetPenWidth(penWidth);
}

void tplot3d::DrawSymbol(Canvas& canvas, std::uint8_t shape, std::int32_t x, std::int32_t y, std::uint16_t size) {
    const std::int32_t s = size;
    const std::int32_t h = s >> 1;
    const std::int32_t t = s / 3;
    const auto polygon = [&canvas](std::initializer_list<ScreenPoint> points) {
        canvas.Polygon(std::span<const ScreenPoint>(points.begin(), points.size()));
    };
    // clang-format off
    switch (shape) {
        case kShapePoint: canvas.Ellipse(x, y, x + 1, y + 1); break;
        case kShapeCircle: canvas.Ellipse(x - s, y - s, x + s, y + s); break;
        case kShapeSquare: canvas.Rectangle(x - s, y - s, x + s, y + s); break;
        case kShapeDiamond: polygon({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}}); break;
        case kShapeTriangleDown: polygon({{x, y + s}, {x + s, y - s}, {x - s, y - s}}); break;
        case kShapeTriangleUp: polygon({{x, y - s}, {x + s, y + s}, {x - s, y + s}}); break;
        case kShapeTriangleLeft: polygon({{x - s, y}, {x + s, y + s}, {x + s, y - s}}); break;
        case kShapeTriangleRight: polygon({{x + s, y}, {x - s, y + s}, {x - s, y - s}}); break;
        case kShapeCrossUp:
            polygon({{x - s, y + t}, {x - t, y + t}, {x - t, y + s}, {x + t, y + s}, {x + t, y + t}, {x + s, y + t},
                     {x + s, y - t}, {x + t, y - t}, {x + t, y - s}, {x - t, y - s}, {x - t, y - t}, {x - s, y - t}});
            break;
        case kShapeCrossSide:
            polygon({{x - h, y}, {x - s, y + h}, {x - h, y + s}, {x, y + h}, {x + h, y + s}, {x + s, y + h},
                     {x + h, y}, {x + s, y - h}, {x + h, y - s}, {x, y - h}, {x - h, y - s}, {x - s, y - h}});
            break;
        case kShapeEllipseUp: canvas.Ellipse(x - h, y - s, x + h, y + s); break;
        case kShapeEllipseSide: canvas.Ellipse(x - s, y - h, x + s, y + h); break;
        case kShapeRectangleUp: canvas.Rectangle(x - h, y - s, x + h, y + s); break;
        case kShapeRectangleSide: canvas.Rectangle(x - s, y - h, x + s, y + h); break;
        default: break;
    }
    // clang-format on
}

bool tplot3d::FindSymbolAt(std::int32_t x, std::int32_t y, std::size_t& index) const {
    const std::int64_t r = HitRadius;
    for (std::size_t i = std::min(HitCount, HitList.size()); i-- > 0;) {
        const HitRec& hit = HitList[i];
        if (hit.X - r <= x && x <= hit.X + r && hit.Y - r <= y && y <= hit.Y + r) {
            index = hit.Index;
            return true;
        }
    }
    return false;
}
