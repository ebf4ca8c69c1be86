#include "plot3d/plot3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "plot3d/recording_canvas.h"

namespace {

using Kind = RecordingCanvas::Kind;

constexpr float kPi = 3.14159265358979f;

std::shared_ptr<a3dsymbol> Points(std::initializer_list<std::array<float, 3>> xyz, std::uint16_t size = 3) {
    auto points = std::make_shared<a3dsymbol>();
    for (const auto& p : xyz) {
        t3dsymbol s;
        s.X = p[0];
        s.Y = p[1];
        s.Z = p[2];
        s.Size = size;
        s.Shape = kShapeCircle;
        points->push_back(s);
    }
    return points;
}

// A 200 x 100 picture with the origin at (100, 50), unit scales and zoom, no rotation.
tplot3d MakePlot(std::shared_ptr<a3dsymbol> points) {
    tplot3d plot;
    plot.Init(200, 100, PlotFont{});
    plot.SetColours(kPlotWhite, kPlotBlack);
    plot.SetSymbols(std::move(points));
    return plot;
}

ScreenPoint ScreenOf(const tplot3d& plot, std::size_t vertex) {
    return {plot.ScreenX()[vertex], plot.ScreenY()[vertex]};
}

TEST(Plot3DProjection, KnownPointsUnderRotationsAndZoom) {
    struct Case {
        const char* what;
        float rx, ry, rz, zoom;
        std::int32_t x, y, depth;
    };
    // The point (10, 20, 30) with the origin at (100, 50).
    const Case cases[] = {
        {"no rotation: depth is the Y offset", 0, 0, 0, 1, 110, 70, 20},
        {"zoom 2", 0, 0, 0, 2, 120, 90, 40},
        {"X rotation 90", 90, 0, 0, 1, 70, 70, 20},
        {"Y rotation 90", 0, 90, 0, 1, 110, 20, -30},
        {"Z rotation 90", 0, 0, 90, 1, 80, 60, 20},
        {"X rotation 180", 180, 0, 0, 1, 90, 70, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tplot3d plot = MakePlot(Points({{10, 20, 30}}));
        plot.SetRotation(c.rx, c.ry, c.rz);
        plot.SetZoom(c.zoom);
        plot.ProjectScalar();
        EXPECT_EQ(ScreenOf(plot, 0), (ScreenPoint{c.x, c.y}));
        EXPECT_EQ(plot.DepthKeys()[0], c.depth);
    }
}

TEST(Plot3DProjection, ScalesApplyPerAxisAndOffsetsRoundToEven) {
    tplot3d plot = MakePlot(Points({{1, 1, 0}, {0.5f, 2.5f, 0}, {-1.5f, 0, 0}}));
    plot.SetScale(3, 5, 7);
    plot.ProjectScalar();
    EXPECT_EQ(ScreenOf(plot, 0), (ScreenPoint{103, 55}));
    // 1.5 rounds to 2, 12.5 to 12, -4.5 to -4: ties go to the even neighbour.
    EXPECT_EQ(ScreenOf(plot, 1), (ScreenPoint{102, 62}));
    EXPECT_EQ(ScreenOf(plot, 2), (ScreenPoint{96, 50}));
}

TEST(Plot3DProjection, VectorRoutineGivesTheScalarPixels) {
    std::mt19937 gen(20240601);
    std::uniform_real_distribution<float> coordinate(-3.0f, 3.0f);
    std::uniform_real_distribution<float> angle(-720.0f, 720.0f);
    std::uniform_real_distribution<float> zoom(0.01f, 400.0f);
    for (int round = 0; round < 200; ++round) {
        auto points = std::make_shared<a3dsymbol>(static_cast<std::size_t>(round % 23));
        for (t3dsymbol& s : *points) {
            s.X = coordinate(gen);
            s.Y = coordinate(gen);
            s.Z = coordinate(gen);
        }
        if (round % 5 == 0 && !points->empty()) {
            // Values no picture can show: they must still land on the same pixels both ways.
            (*points)[0].X = std::numeric_limits<float>::max();
            (*points)[0].Y = std::numeric_limits<float>::quiet_NaN();
            (*points)[0].Z = -std::numeric_limits<float>::infinity();
        }
        tplot3d scalar = MakePlot(points);
        scalar.BuildBox(2, -1, 3, -2, 1, -0.5f);
        scalar.SetXReference(kRefLow);
        scalar.SetAxes({.X = true, .Y = round % 2 == 0, .Z = true});
        scalar.SetRotation(angle(gen), angle(gen), angle(gen));
        scalar.SetZoom(zoom(gen));
        scalar.SetScale(10, 10, 10);
        tplot3d vector = scalar;
        vector.UseSSE = true;
        scalar.ProjectScalar();
        vector.ProjectVector();
        ASSERT_EQ(scalar.ScreenX(), vector.ScreenX()) << "round " << round;
        ASSERT_EQ(scalar.ScreenY(), vector.ScreenY()) << "round " << round;
        ASSERT_EQ(scalar.DepthKeys(), vector.DepthKeys()) << "round " << round;
        RecordingCanvas a, b;
        scalar.Draw(a);
        vector.Draw(b);
        ASSERT_EQ(a.ops.size(), b.ops.size());
    }
}

TEST(Plot3DProjection, PointsFarOutsideThePictureStayWithinThirtyBits) {
    tplot3d plot = MakePlot(Points({{1e30f, -1e30f, 0}}));
    plot.SetZoom(1e8f);
    plot.ProjectScalar();
    EXPECT_LE(std::abs(plot.ScreenX()[0]), 1 << 30);
    EXPECT_LE(std::abs(plot.ScreenY()[0]), 1 << 30);
    EXPECT_GT(plot.ScreenX()[0], 100);
    EXPECT_LT(plot.ScreenY()[0], 50);
}

TEST(Plot3DAngles, WrapIntoTwoTurnsAtMost) {
    struct Case {
        float degrees;
        double radians;
    };
    // clang-format off
    const Case cases[] = {
        {400, 40 * kPi / 180}, {-730, -10 * kPi / 180}, {30, 30 * kPi / 180}, {-359, -359 * kPi / 180},
        // A whole number of turns lands next to 0: the single value is a hair above 2 pi.
        {360, 0}, {720, 0}, {-1080, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        tplot3d plot;
        plot.SetRotation(c.degrees, 0, 0);
        EXPECT_NEAR(plot.RotX, c.radians, 2e-6) << c.degrees;
    }
}

TEST(Plot3DAngles, HugeAndNonFiniteAnglesEndAtOnce) {
    tplot3d plot;
    plot.RotX = 1e12f;
    plot.RotY = -3e38f;
    plot.RotZ = std::numeric_limits<float>::quiet_NaN();
    plot.WrapAngles();
    EXPECT_LE(std::fabs(plot.RotX), 6.2831855f);
    EXPECT_LE(std::fabs(plot.RotY), 6.2831855f);
    EXPECT_EQ(plot.RotZ, 0.0f);
    plot.RotX = std::numeric_limits<float>::infinity();
    plot.Rotate(0, 0, 0);
    EXPECT_EQ(plot.RotX, 0.0f);
}

TEST(Plot3DDraw, PointsAreVisitedBackToFront) {
    // At rotation 0 the depth key is the Y offset: the top of the picture is drawn first.
    tplot3d plot = MakePlot(Points({{0, 3, 0}, {1, -2, 0}, {2, 0, 0}, {3, 1, 0}}));
    RecordingCanvas canvas;
    plot.Draw(canvas);
    ASSERT_EQ(plot.HitCount, 4u);
    const std::uint32_t expected[] = {1, 2, 3, 0};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(plot.HitList[i].Index, expected[i]);
    // Each symbol in the order visited.
    const auto ellipses = canvas.OfKind(Kind::Ellipse);
    ASSERT_EQ(ellipses.size(), 4u);
    EXPECT_EQ(ellipses[0].points[0], (ScreenPoint{101 - 3, 48 - 3}));
}

TEST(Plot3DDraw, BoxVerticesAreVisitedAmongThePoints) {
    // Depth keys at rotation 0: the points -20 and 5, the box vertices -10, 0 and 10 by their Y.
    tplot3d plot = MakePlot(Points({{0, 0.5f, 0}, {0, -2, 0}}));
    plot.BuildBox(1, -1, 1, -1, 1, -1);
    plot.SetScale(10, 10, 10);
    plot.SetAxesStyle({.Positive = true, .Negative = true});
    RecordingCanvas canvas;
    plot.Draw(canvas);
    ASSERT_EQ(plot.BoxScreen.size(), kBoxVertexCount);
    for (std::size_t i = 1; i < plot.BoxScreen.size(); ++i) EXPECT_GE(plot.BoxScreen[i].Y, plot.BoxScreen[i - 1].Y);
    // The far point first, then the six half-axes (drawn at vertices of depth -10 and 0), then
    // the near point.
    ASSERT_EQ(canvas.ops.size(), 8u);
    EXPECT_EQ(canvas.ops.front().kind, Kind::Ellipse);
    EXPECT_EQ(canvas.ops.front().points[0], (ScreenPoint{97, 27}));
    EXPECT_EQ(canvas.ops.back().kind, Kind::Ellipse);
    EXPECT_EQ(canvas.Count(Kind::Line), 6u);
}

TEST(Plot3DHits, AClickFindsTheSymbolDrawnLast) {
    // Two points 4 pixels apart with radius 3: the overlap belongs to the one nearer the viewer.
    tplot3d plot = MakePlot(Points({{0, 2, 0}, {0, -2, 0}}));
    RecordingCanvas canvas;
    plot.Draw(canvas);
    std::size_t index = 99;
    ASSERT_TRUE(plot.FindSymbolAt(100, 50, index));
    EXPECT_EQ(index, 0u);  // Y offset 2: visited after the one at -2
    ASSERT_TRUE(plot.FindSymbolAt(100, 45, index));
    EXPECT_EQ(index, 1u);
    ASSERT_TRUE(plot.FindSymbolAt(103, 55, index));  // on the corner of the hit square
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(plot.FindSymbolAt(104, 50, index));
    EXPECT_FALSE(plot.FindSymbolAt(100, 56, index));
}

TEST(Plot3DHits, TheRadiusIsTheLargestSymbol) {
    auto points = Points({{0, 0, 0}, {5, 0, 0}});
    (*points)[1].Size = 9;
    tplot3d plot = MakePlot(points);
    EXPECT_EQ(plot.HitRadius, 9);
    plot.SetSymbolSize(2);
    EXPECT_EQ(plot.HitRadius, 2);
    (*points)[0].Size = 7;
    plot.UpdateHitRadius();
    EXPECT_EQ(plot.HitRadius, 7);
    tplot3d empty = MakePlot(std::make_shared<a3dsymbol>());
    empty.SetSymbolSize(5);
    EXPECT_EQ(empty.HitRadius, 0);
    RecordingCanvas canvas;
    empty.Draw(canvas);
    EXPECT_TRUE(canvas.ops.empty());
    std::size_t index = 0;
    EXPECT_FALSE(empty.FindSymbolAt(100, 50, index));
}

TEST(Plot3DShapes, EveryShapeIsDrawnAroundItsCentre) {
    struct Case {
        std::uint8_t shape;
        Kind kind;
        std::vector<ScreenPoint> points;
    };
    // Centre (50, 40), size 6: h = 3, t = 2.
    // clang-format off
    const Case cases[] = {
        {kShapePoint, Kind::Ellipse, {{50, 40}, {51, 41}}},
        {kShapeCircle, Kind::Ellipse, {{44, 34}, {56, 46}}},
        {kShapeSquare, Kind::Rectangle, {{44, 34}, {56, 46}}},
        {kShapeDiamond, Kind::Polygon, {{50, 34}, {56, 40}, {50, 46}, {44, 40}}},
        {kShapeTriangleDown, Kind::Polygon, {{50, 46}, {56, 34}, {44, 34}}},
        {kShapeTriangleUp, Kind::Polygon, {{50, 34}, {56, 46}, {44, 46}}},
        {kShapeTriangleLeft, Kind::Polygon, {{44, 40}, {56, 46}, {56, 34}}},
        {kShapeTriangleRight, Kind::Polygon, {{56, 40}, {44, 46}, {44, 34}}},
        {kShapeCrossUp,
         Kind::Polygon,
         {{44, 42}, {48, 42}, {48, 46}, {52, 46}, {52, 42}, {56, 42}, {56, 38}, {52, 38}, {52, 34}, {48, 34},
          {48, 38}, {44, 38}}},
        {kShapeCrossSide,
         Kind::Polygon,
         {{47, 40}, {44, 43}, {47, 46}, {50, 43}, {53, 46}, {56, 43}, {53, 40}, {56, 37}, {53, 34}, {50, 37},
          {47, 34}, {44, 37}}},
        {kShapeEllipseUp, Kind::Ellipse, {{47, 34}, {53, 46}}},
        {kShapeEllipseSide, Kind::Ellipse, {{44, 37}, {56, 43}}},
        {kShapeRectangleUp, Kind::Rectangle, {{47, 34}, {53, 46}}},
        {kShapeRectangleSide, Kind::Rectangle, {{44, 37}, {56, 43}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(kShapeNames[c.shape]);
        RecordingCanvas canvas;
        tplot3d::DrawSymbol(canvas, c.shape, 50, 40, 6);
        ASSERT_EQ(canvas.ops.size(), 1u);
        EXPECT_EQ(canvas.ops[0].kind, c.kind);
        EXPECT_EQ(canvas.ops[0].points, c.points);
    }
    RecordingCanvas none;
    tplot3d::DrawSymbol(none, 14, 50, 40, 6);
    tplot3d::DrawSymbol(none, 255, 50, 40, 6);
    EXPECT_TRUE(none.ops.empty());
}

TEST(Plot3DShapes, AnOverlayIsDrawnInRedOverTheShape) {
    auto points = Points({{0, 0, 0}, {1, 1, 0}}, 4);
    (*points)[0].Shape = kShapeDiamond | (kShapeCircle << 8);
    (*points)[0].Colour = 0x00FF00;
    (*points)[1].Shape = kShapeSquare | (kShapeSquare << 8);  // the same shape twice: drawn once
    tplot3d plot = MakePlot(points);
    RecordingCanvas canvas;
    plot.Draw(canvas);
    ASSERT_EQ(canvas.ops.size(), 3u);
    EXPECT_EQ(canvas.ops[0].kind, Kind::Polygon);
    EXPECT_EQ(canvas.ops[0].brush, 0x00FF00u);
    EXPECT_EQ(canvas.ops[0].pen, 0x00FF00u);
    EXPECT_EQ(canvas.ops[1].kind, Kind::Ellipse);
    EXPECT_EQ(canvas.ops[1].brush, kPlotRed);
    EXPECT_EQ(canvas.ops[1].points, (std::vector<ScreenPoint>{{96, 46}, {104, 54}}));
    EXPECT_EQ(canvas.ops[2].kind, Kind::Rectangle);
}

TEST(Plot3DLabels, LabelsStandBelowRightOnAClearBrush) {
    // Visited in the order 0, 2, 3, 1 (ascending Y).
    auto points = Points({{0, 0, 0}, {2, 3, 0}, {4, 1, 0}, {6, 2, 0}}, 5);
    (*points)[0].Label = "first";
    (*points)[0].ShowLabel = 1;
    (*points)[1].Label = "hidden";
    (*points)[2].Label = "no such font";
    (*points)[2].ShowLabel = 1;
    (*points)[2].FontIndex = 3;
    (*points)[3].Label = "serif";
    (*points)[3].ShowLabel = 1;
    (*points)[3].FontIndex = 1;
    tplot3d plot = MakePlot(points);
    const PlotFont serif{"Serif", 12, true, false};
    plot.Fonts.push_back(serif);
    plot.SetColours(kPlotWhite, 0x123456);
    RecordingCanvas canvas;
    plot.Draw(canvas);
    const auto texts = canvas.OfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "first");
    EXPECT_EQ(texts[0].points[0], (ScreenPoint{105, 55}));
    EXPECT_EQ(texts[0].brushStyle, BrushStyle::Clear);
    EXPECT_EQ(texts[0].fontColour, 0x123456u);
    EXPECT_EQ(texts[1].text, "no such font");
    EXPECT_EQ(texts[1].font, PlotFont{});
    EXPECT_EQ(texts[2].text, "serif");
    EXPECT_EQ(texts[2].font, serif);
    // The default font and a solid brush again for what follows.
    EXPECT_EQ(canvas.ops.back().kind, Kind::Ellipse);
    EXPECT_EQ(canvas.ops.back().brushStyle, BrushStyle::Solid);
    EXPECT_EQ(canvas.ops.back().font, PlotFont{});
}

TEST(Plot3DLines, EachReferenceCodeEndsTheLineWhereItSays) {
    struct Case {
        std::uint8_t ref;
        bool box;
        float end;  // expected coordinate of the line vertex on the axis
        bool drawn;
    };
    // Box bounds (-1.1, 2.2) on every axis; the point is (0.5, 0.75, 1).
    const Case cases[] = {
        {kRefNone, true, 0.0f, false}, {kRefZero, true, 0.0f, true}, {kRefLow, true, -1.1f, true},
        {kRefHigh, true, 2.2f, true},  {kRefLow, false, 0.0f, true}, {kRefHigh, false, 0.0f, true},
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "axis " << axis << " ref " << int(c.ref) << " box " << c.box);
            tplot3d plot = MakePlot(Points({{0.5f, 0.75f, 1.0f}}));
            plot.SetScale(40, 40, 40);
            if (c.box) plot.BuildBox(2.2f, -1.1f, 2.2f, -1.1f, 2.2f, -1.1f);
            if (axis == 0) plot.SetXReference(c.ref);
            if (axis == 1) plot.SetYReference(c.ref);
            if (axis == 2) plot.SetZReference(c.ref);
            plot.SetAxes({.X = axis == 0, .Y = axis == 1, .Z = axis == 2});
            const std::size_t start = axis == 0 ? plot.XLineStart : axis == 1 ? plot.YLineStart : plot.ZLineStart;
            ASSERT_EQ(start, c.box ? 28u : 1u);
            const ASingle& v = axis == 0 ? plot.VX : axis == 1 ? plot.VY : plot.VZ;
            EXPECT_EQ(v[start], c.end);
            // The other two coordinates are the point's.
            const std::array<float, 3> point{0.5f, 0.75f, 1.0f};
            const std::array<const ASingle*, 3> all{&plot.VX, &plot.VY, &plot.VZ};
            for (std::size_t other = 0; other < 3; ++other) {
                if (other != static_cast<std::size_t>(axis)) {
                    EXPECT_EQ((*all[other])[start], point[other]);
                }
            }
            RecordingCanvas canvas;
            plot.Draw(canvas);
            const bool drawn = canvas.HasLine(ScreenOf(plot, start), ScreenOf(plot, 0));
            EXPECT_EQ(drawn, c.drawn);
        }
    }
}

TEST(Plot3DLines, BlocksFollowOneAnotherAndTheirPens) {
    auto points = Points({{1, 1, 1}, {2, 2, 2}});
    (*points)[0].Colour = 0x0000AA;
    (*points)[0].LineColour = 0x00BB00;
    tplot3d plot = MakePlot(points);
    plot.BuildBox(3, -3, 3, -3, 3, -3);
    plot.SetXReference(kRefZero);
    plot.SetYReference(kRefZero);
    plot.SetZReference(kRefZero);
    plot.SetAxes({.X = true, .Y = false, .Z = true});
    EXPECT_EQ(plot.XLineStart, 29u);
    EXPECT_EQ(plot.YLineStart, 0u);
    EXPECT_EQ(plot.ZLineStart, 31u);
    EXPECT_EQ(plot.VX.size(), 33u);
    EXPECT_EQ(plot.Flags, kFlagPoints | kFlagBox | kFlagLines | kFlagXLines | kFlagZLines);
    EXPECT_EQ(plot.LineAxisCount, 2);

    struct PenCase {
        std::uint8_t mode;
        PlotColour pen;
    };
    for (const PenCase& c :
         {PenCase{kLinePenFore, 0x654321}, PenCase{kLinePenColour, 0x0000AA}, PenCase{kLinePenLineColour, 0x00BB00}}) {
        (*points)[0].Refs = static_cast<std::uint8_t>(((*points)[0].Refs & 0x3Fu) | (c.mode << 6));
        plot.SetColours(kPlotWhite, 0x654321);
        RecordingCanvas canvas;
        plot.Draw(canvas);
        bool found = false;
        for (const auto& op : canvas.OfKind(Kind::Line))
            if (op.points[1] == ScreenOf(plot, 0)) {
                found = true;
                EXPECT_EQ(op.pen, c.pen) << int(c.mode);
            }
        EXPECT_TRUE(found);
    }
    // The ordination lines go with a new point set or a new box.
    plot.SetSymbols(points);
    EXPECT_EQ(plot.Flags, kFlagPoints);
    EXPECT_EQ(plot.VX.size(), 2u);
    plot.BuildBox(1, -1, 1, -1, 1, -1);
    EXPECT_EQ(plot.Flags, kFlagPoints | kFlagBox);
    EXPECT_EQ(plot.XLineStart, 0u);
    EXPECT_EQ(plot.BoxStart, 2u);
}

class Plot3DBox : public ::testing::Test {
protected:
    void SetUp() override {
        plot = MakePlot(std::make_shared<a3dsymbol>());
        plot.BuildBox(1, -1, 1, -1, 1, -1);
        plot.SetScale(40, 40, 40);
        plot.SetRotation(30, 30, 0);
        plot.SetAxesStyle({.Positive = false, .Negative = false});
        plot.SetColours(kPlotWhite, 0x111111);
        plot.ExternalPlaneColour = 0xD0D0D0;
        plot.InternalPlaneColour = 0xA0A0A0;
        plot.AxisWidth = 2;
    }
    std::vector<ScreenPoint> Corners(std::initializer_list<std::size_t> vertices) {
        std::vector<ScreenPoint> result;
        for (std::size_t v : vertices) result.push_back(ScreenOf(plot, plot.BoxStart + v));
        return result;
    }
    bool Edge(const RecordingCanvas& canvas, std::size_t a, std::size_t b) {
        return canvas.HasLine(ScreenOf(plot, plot.BoxStart + a), ScreenOf(plot, plot.BoxStart + b));
    }
    tplot3d plot;
};

TEST_F(Plot3DBox, EachPlaneFillsItsFace) {
    struct Case {
        const char* name;
        bool tplot3d::*flag;
        std::initializer_list<std::size_t> corners;
        PlotColour colour;
    };
    const Case cases[] = {
        {"neg XY", &tplot3d::ShowNegXY, {0, 6, 24, 18}, 0xD0D0D0},
        {"neg XZ", &tplot3d::ShowNegXZ, {0, 2, 20, 18}, 0xD0D0D0},
        {"neg YZ", &tplot3d::ShowNegYZ, {0, 2, 8, 6}, 0xD0D0D0},
        {"pos XY", &tplot3d::ShowPosXY, {2, 8, 26, 20}, 0xD0D0D0},
        {"pos XZ", &tplot3d::ShowPosXZ, {6, 8, 26, 24}, 0xD0D0D0},
        {"pos YZ", &tplot3d::ShowPosYZ, {18, 20, 26, 24}, 0xD0D0D0},
        {"XY", &tplot3d::ShowXY, {1, 7, 25, 19}, 0xA0A0A0},
        {"XZ", &tplot3d::ShowXZ, {3, 5, 23, 21}, 0xA0A0A0},
        {"YZ", &tplot3d::ShowYZ, {9, 11, 17, 15}, 0xA0A0A0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        plot.*c.flag = 1;
        RecordingCanvas canvas;
        plot.Draw(canvas);
        const auto polygons = canvas.OfKind(Kind::Polygon);
        ASSERT_EQ(polygons.size(), 1u);
        EXPECT_EQ(polygons[0].points, Corners(c.corners));
        EXPECT_EQ(polygons[0].brush, c.colour);
        // Its outline in the foreground colour, each edge once.
        const auto lines = canvas.OfKind(Kind::Line);
        ASSERT_EQ(lines.size(), 4u);
        const std::vector<std::size_t> v(c.corners);
        for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(Edge(canvas, v[i], v[(i + 1) % 4]));
        for (const auto& line : lines) EXPECT_EQ(line.pen, 0x111111u);
    }
}

TEST_F(Plot3DBox, AllFacesDrawTwelveEdgesOnce) {
    plot.SetExternalPlanes({.NegXY = true, .NegXZ = true, .NegYZ = true, .PosXY = true, .PosXZ = true, .PosYZ = true},
                           0xD0D0D0);
    plot.GridWidth = 3;
    RecordingCanvas canvas;
    plot.Draw(canvas);
    EXPECT_EQ(canvas.Count(Kind::Polygon), 6u);
    const auto lines = canvas.OfKind(Kind::Line);
    ASSERT_EQ(lines.size(), 12u);
    for (const auto& line : lines) EXPECT_EQ(line.penWidth, 3);
    const std::size_t edges[][2] = {{0, 6},   {0, 2},   {2, 8},  {6, 8},  {18, 24}, {18, 20},
                                    {20, 26}, {24, 26}, {0, 18}, {6, 24}, {2, 20},  {8, 26}};
    for (const auto& e : edges) EXPECT_TRUE(Edge(canvas, e[0], e[1])) << e[0] << "-" << e[1];
}

TEST_F(Plot3DBox, HalfAxesRunFromTheOrigin) {
    struct Case {
        std::uint8_t positive, negative;
        std::vector<std::size_t> ends;
    };
    const Case cases[] = {{1, 0, {22, 16, 14}}, {0, 1, {4, 10, 12}}, {1, 1, {22, 16, 14, 4, 10, 12}}, {0, 0, {}}};
    for (const Case& c : cases) {
        SetUp();
        plot.SetAxesStyle({.Positive = c.positive == 1, .Negative = c.negative == 1});
        RecordingCanvas canvas;
        plot.Draw(canvas);
        const auto lines = canvas.OfKind(Kind::Line);
        ASSERT_EQ(lines.size(), c.ends.size());
        for (std::size_t end : c.ends) EXPECT_TRUE(Edge(canvas, kBoxOrigin, end)) << end;
        for (const auto& line : lines) EXPECT_EQ(line.penWidth, 2);
        // The pen width is given back after each vertex.
        EXPECT_EQ(canvas.PenWidth(), 1);
    }
}

TEST(Plot3DSetUp, ExtentBoxAndResize) {
    tplot3d plot = MakePlot(Points({{1, -2, 3}, {-4, 5, 0.5f}}));
    EXPECT_EQ(plot.GetExtent(), (std::array<float, 6>{1, -4, 5, -2, 3, 0}));
    EXPECT_EQ(MakePlot(std::make_shared<a3dsymbol>()).GetExtent(), (std::array<float, 6>{}));
    EXPECT_EQ(MakePlot(Points({{1, 2, 3}})).GetExtent(), (std::array<float, 6>{1, 0, 2, 0, 3, 0}));

    plot.BuildBox(1, -4, 5, -2, 3, 0);
    EXPECT_EQ(plot.BoxCount, 27u);
    EXPECT_EQ(plot.BoxStart, 2u);
    EXPECT_EQ(plot.VX[2 + 4], -4.0f);
    EXPECT_EQ(plot.VY[2 + 16], 5.0f);
    EXPECT_EQ(plot.VZ[2 + 12], 0.0f);
    EXPECT_EQ(plot.VX[2 + 26], 1.0f);

    plot.SetOrigin(120, 40);
    plot.Resize(300, 60);  // the centre moves by (50, -20)
    EXPECT_EQ(plot.OriginX, 170);
    EXPECT_EQ(plot.OriginY, 20);
    plot.Resize(10, 10);
    EXPECT_EQ(plot.OriginX, 25);
    EXPECT_EQ(plot.OriginY, 0);  // 20 - 30 + 5 is clamped to the edge

    RecordingCanvas canvas;
    plot.SetColours(0x0A0B0C, kPlotBlack);
    plot.ClearCanvas(canvas);
    ASSERT_EQ(canvas.ops.size(), 1u);
    EXPECT_EQ(canvas.ops[0].kind, Kind::FillRect);
    EXPECT_EQ(canvas.ops[0].brush, 0x0A0B0Cu);
    EXPECT_EQ(canvas.ops[0].points[1], (ScreenPoint{10, 10}));
}

TEST(Plot3DSetUp, ReferencesAndLabelsSetEveryPoint) {
    auto points = Points({{0, 0, 0}, {1, 1, 1}});
    (*points)[1].Refs = 0xC0;
    tplot3d plot = MakePlot(points);
    plot.SetXReference(kRefHigh);
    plot.SetYReference(kRefLow);
    plot.SetZReference(kRefZero);
    plot.ShowLabels(true);
    for (const t3dsymbol& s : *points) {
        const DecodedRefs refs = DecodeRefs(s.Refs);
        EXPECT_EQ(refs.X, kRefHigh);
        EXPECT_EQ(refs.Y, kRefLow);
        EXPECT_EQ(refs.Z, kRefZero);
        EXPECT_EQ(s.ShowLabel, 1);
    }
    EXPECT_EQ(DecodeRefs((*points)[1].Refs).LineColourMode, 3);
    EXPECT_EQ(DecodeRefs((*points)[0].Refs).LineColourMode, 0);
}

}  // namespace

namespace {

TEST(Plot3DSingle, ValuesBeyondSinglePrecisionAreCutNotUndefined) {
    const float largest = std::numeric_limits<float>::max();
    EXPECT_EQ(ToSingle(1e300L), largest);
    EXPECT_EQ(ToSingle(-1e300L), -largest);
    EXPECT_EQ(ToSingle(0.25L), 0.25f);
    EXPECT_TRUE(std::isnan(ToSingle(std::numeric_limits<Extended>::quiet_NaN())));
    EXPECT_TRUE(FitsSingle(3e38L));
    EXPECT_FALSE(FitsSingle(1e39L));
    EXPECT_FALSE(FitsSingle(-std::numeric_limits<Extended>::infinity()));
}

}  // namespace
