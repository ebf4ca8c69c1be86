#include "plot3d/recording_canvas.h"

#include <algorithm>
#include <utility>

void RecordingCanvas::Record(Kind kind, std::vector<ScreenPoint> points, std::string text) {
    Op op;
    op.kind = kind;
    op.points = std::move(points);
    op.text = std::move(text);
    op.pen = pen_;
    op.penWidth = penWidth_;
    op.brush = brush_;
    op.brushStyle = brushStyle_;
    op.font = font_;
    op.fontColour = fontColour_;
    ops.push_back(std::move(op));
}

void RecordingCanvas::MoveTo(std::int32_t x, std::int32_t y) { penPos_ = {x, y}; }

void RecordingCanvas::LineTo(std::int32_t x, std::int32_t y) {
    Record(Kind::Line, {penPos_, {x, y}});
    penPos_ = {x, y};
}

void RecordingCanvas::Polygon(std::span<const ScreenPoint> points) {
    Record(Kind::Polygon, std::vector<ScreenPoint>(points.begin(), points.end()));
}

void RecordingCanvas::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Record(Kind::Ellipse, {{left, top}, {right, bottom}});
}

void RecordingCanvas::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Record(Kind::Rectangle, {{left, top}, {right, bottom}});
}

void RecordingCanvas::FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Record(Kind::FillRect, {{left, top}, {right, bottom}});
}

void RecordingCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    Record(Kind::Text, {{x, y}}, std::string(text));
}

void RecordingCanvas::SetClipRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Record(Kind::Clip, {{left, top}, {right, bottom}});
}

std::vector<RecordingCanvas::Op> RecordingCanvas::OfKind(Kind kind) const {
    std::vector<Op> result;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(result), [kind](const Op& op) { return op.kind == kind; });
    return result;
}

std::size_t RecordingCanvas::Count(Kind kind) const {
    return static_cast<std::size_t>(
        std::count_if(ops.begin(), ops.end(), [kind](const Op& op) { return op.kind == kind; }));
}

bool RecordingCanvas::HasLine(ScreenPoint a, ScreenPoint b) const {
    return std::any_of(ops.begin(), ops.end(), [a, b](const Op& op) {
        return op.kind == Kind::Line &&
               ((op.points[0] == a && op.points[1] == b) || (op.points[0] == b && op.points[1] == a));
    });
}
