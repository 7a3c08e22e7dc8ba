#include "draw_list.h"

#include <algorithm>

namespace kb {

void DrawList::Clear()
{
    ops.clear();
    points.clear();
    fonts.clear();
}

std::size_t DrawList::CountOf(DrawOpKind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(ops.begin(), ops.end(), [kind](const DrawOp& op) { return op.kind == kind; }));
}

RecordingCanvas::RecordingCanvas(TextMetrics& metrics) : metrics_(metrics) {}

void RecordingCanvas::BeginPass()
{
    list_.Clear();
    fontRecorded_ = false;
}

void RecordingCanvas::RecycleList(DrawList list)
{
    if (list_.ops.empty() && list.ops.capacity() > list_.ops.capacity()) {
        list_ = std::move(list);
        list_.Clear();
    }
}

DrawList RecordingCanvas::TakeList()
{
    DrawList taken = std::move(list_);
    list_.Clear();
    fontRecorded_ = false;
    return taken;
}

void RecordingCanvas::SetBrushColour(Colour colour)
{
    brush_.colour = colour;
    brush_.style = BrushStyle::Solid;
}

void RecordingCanvas::SetFontFace(std::string_view face)
{
    if (font_.face != face) {
        font_.face = std::string(face);
        fontRecorded_ = false;
    }
}

void RecordingCanvas::SetFontHeight(int pixels)
{
    if (font_.height != pixels || font_.pointSize != 0) {
        font_.height = pixels;
        font_.pointSize = 0;
        fontRecorded_ = false;
    }
}

void RecordingCanvas::SetFontSize(int points)
{
    if (font_.pointSize != points) {
        font_.pointSize = points;
        fontRecorded_ = false;
    }
}

DrawOp& RecordingCanvas::Append(DrawOpKind kind)
{
    DrawOp& op = list_.ops.emplace_back();
    op.kind = kind;
    op.pen = pen_;
    op.brush = brush_;
    return op;
}

std::size_t RecordingCanvas::FontIndex()
{
    if (!fontRecorded_) {
        list_.fonts.push_back(font_);
        fontRecorded_ = true;
    }
    return list_.fonts.size() - 1;
}

void RecordingCanvas::MoveTo(int x, int y)
{
    position_ = {x, y};
}

void RecordingCanvas::LineTo(int x, int y)
{
    if (pen_.style != PenStyle::Clear) {
        DrawOp& op = Append(DrawOpKind::Line);
        op.c[0] = position_.x;
        op.c[1] = position_.y;
        op.c[2] = x;
        op.c[3] = y;
    }
    position_ = {x, y};
}

void RecordingCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    DrawOp& op = Append(DrawOpKind::Ellipse);
    op.c[0] = x1;
    op.c[1] = y1;
    op.c[2] = x2;
    op.c[3] = y2;
}

void RecordingCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    if (pen_.style == PenStyle::Clear) {
        return;
    }
    DrawOp& op = Append(DrawOpKind::Arc);
    const int c[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
    std::copy(std::begin(c), std::end(c), std::begin(op.c));
}

void RecordingCanvas::Polygon(std::span<const ScreenPoint> points)
{
    DrawOp& op = Append(DrawOpKind::Polygon);
    op.firstPoint = list_.points.size();
    op.pointCount = points.size();
    list_.points.insert(list_.points.end(), points.begin(), points.end());
}

void RecordingCanvas::FillRect(int x1, int y1, int x2, int y2)
{
    DrawOp& op = Append(DrawOpKind::FillRect);
    op.c[0] = x1;
    op.c[1] = y1;
    op.c[2] = x2;
    op.c[3] = y2;
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text)
{
    const std::size_t fontIndex = FontIndex();
    DrawOp& op = Append(DrawOpKind::Text);
    op.c[0] = x;
    op.c[1] = y;
    op.fontIndex = fontIndex;
    op.text = std::string(text);
}

int RecordingCanvas::TextWidth(std::string_view text)
{
    return metrics_.TextWidth(font_, text);
}

int RecordingCanvas::TextHeight(std::string_view text)
{
    return metrics_.TextHeight(font_, text);
}

}  // namespace kb
