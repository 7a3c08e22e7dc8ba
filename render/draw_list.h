#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "canvas.h"

namespace kb {

// Pixel extent of a text in a font; the application fills it from the toolkit.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual int TextWidth(const Font& font, std::string_view text) = 0;
    virtual int TextHeight(const Font& font, std::string_view text) = 0;
};

enum class DrawOpKind { Line, Ellipse, Arc, Polygon, FillRect, Text };

// One recorded surface operation with the settings in force when it ran.
// Coordinates are screen coordinates; their meaning depends on the kind:
//   Line     (c[0], c[1]) -> (c[2], c[3])
//   Ellipse  box c[0..3]
//   Arc      box c[0..3], start ray through (c[4], c[5]), end ray through (c[6], c[7])
//   Polygon  points[firstPoint .. firstPoint + pointCount) of the list
//   FillRect c[0..3]
//   Text     top-left corner (c[0], c[1]), text in `text`
struct DrawOp {
    DrawOpKind kind = DrawOpKind::Line;
    int c[8] = {};
    Pen pen;
    Brush brush;
    std::size_t fontIndex = 0;  // into DrawList::fonts, for Text
    std::size_t firstPoint = 0;
    std::size_t pointCount = 0;
    std::string text;
};

// One scene pass as a list of operations, in drawing order.
struct DrawList {
    std::vector<DrawOp> ops;
    std::vector<ScreenPoint> points;
    std::vector<Font> fonts;

    void Clear();
    const Font& FontOf(const DrawOp& op) const { return fonts[op.fontIndex]; }
    std::size_t CountOf(DrawOpKind kind) const;
};

// A canvas that records each pass as a draw list. Its pen, brush and font
// carry over from pass to pass, like those of a real drawing surface.
class RecordingCanvas final : public Canvas {
public:
    explicit RecordingCanvas(TextMetrics& metrics);

    // Starts a new pass: empties the list, keeps the settings.
    void BeginPass();
    const DrawList& List() const { return list_; }
    DrawList TakeList();
    // Hands back a list taken earlier, so that the next passes record into
    // its storage instead of growing a new one.
    void RecycleList(DrawList list);

    void SetPenColour(Colour colour) override { pen_.colour = colour; }
    void SetPenWidth(int width) override { pen_.width = width; }
    void SetPenStyle(PenStyle style) override { pen_.style = style; }
    void SetBrushColour(Colour colour) override;
    void SetBrushStyle(BrushStyle style) override { brush_.style = style; }
    void SetFontFace(std::string_view face) override;
    void SetFontHeight(int pixels) override;
    void SetFontSize(int points) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void Polygon(std::span<const ScreenPoint> points) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    void Refresh() override {}

    const Pen& CurrentPen() const override { return pen_; }
    const Brush& CurrentBrush() const override { return brush_; }
    const Font& CurrentFont() const override { return font_; }

private:
    DrawOp& Append(DrawOpKind kind);
    std::size_t FontIndex();

    TextMetrics& metrics_;
    DrawList list_;
    Pen pen_;
    Brush brush_;
    Font font_;
    bool fontRecorded_ = false;
    ScreenPoint position_;
};

}  // namespace kb
