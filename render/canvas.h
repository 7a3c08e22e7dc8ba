#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/types.h"

namespace kb {

enum class PenStyle { Solid, Dash, Dot, Clear };
enum class BrushStyle { Solid, Clear };

struct Pen {
    Colour colour = kBlack;
    int width = 1;  // px
    PenStyle style = PenStyle::Solid;

    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
    Colour colour = kWhite;
    BrushStyle style = BrushStyle::Solid;

    friend bool operator==(const Brush&, const Brush&) = default;
};

// The face the surface starts with, before any layer sets one: the window's
// own interface font.
inline constexpr std::string_view kDefaultFontFace = "MS Sans Serif";

struct Font {
    std::string face{kDefaultFontFace};
    int height = 11;     // px, the height of the character cell, when pointSize is 0
    int pointSize = 0;   // pt at 96 dpi; takes precedence when above 0
    Colour colour = kBlack;

    friend bool operator==(const Font&, const Font&) = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The 2-D drawing surface the scene pass draws on, in screen coordinates
// (x right, y down). Pen, brush and font persist from one operation to the
// next and from one pass to the next; each step sets what it needs.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SetPenColour(Colour colour) = 0;
    virtual void SetPenWidth(int width) = 0;
    virtual void SetPenStyle(PenStyle style) = 0;
    // Giving a clear brush a colour makes it solid.
    virtual void SetBrushColour(Colour colour) = 0;
    virtual void SetBrushStyle(BrushStyle style) = 0;
    virtual void SetFontFace(std::string_view face) = 0;
    virtual void SetFontHeight(int pixels) = 0;
    virtual void SetFontSize(int points) = 0;

    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Ellipse inscribed in the box, outlined with the pen, filled with the brush.
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    // Outline of the ellipse inscribed in the box, counterclockwise on the screen
    // from the ray through (x3, y3) to the ray through (x4, y4).
    virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void Polygon(std::span<const ScreenPoint> points) = 0;
    virtual void FillRect(int x1, int y1, int x2, int y2) = 0;
    // Draws text with the top-left corner of its cell at (x, y).
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    virtual void Refresh() = 0;

    virtual const Pen& CurrentPen() const = 0;
    virtual const Brush& CurrentBrush() const = 0;
    virtual const Font& CurrentFont() const = 0;
};

}  // namespace kb
