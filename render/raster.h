#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/types.h"

namespace kb {

// A block of 32-bit pixels 0xAARRGGBB (premultiplied, or opaque with alpha
// 0xFF), row after row, `stride` pixels apart. Every drawing call below clips
// to the block; nothing is written outside it.
struct PixelSurface {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // pixels from one row to the next
};

// Fills the pixels x1 <= x < x2, y1 <= y < y2 with an opaque colour.
void RasterFillRect(PixelSurface& surface, int x1, int y1, int x2, int y2, Colour colour);

// How a straight stroke is drawn. Coordinates are continuous: pixel (i, j)
// covers [i, i + 1) x [j, j + 1), so a one-pixel stroke through pixel
// centres at i + 0.5 lights exactly one pixel across.
struct StrokeStyle {
    double width = 1.0;         // px
    double capExtension = 0.0;  // px the stroke reaches past each end: 0 flat, width / 2 square
    double dashOn = 0.0;        // px drawn, then
    double dashOff = 0.0;       // px left out; both 0 for a solid stroke
};

// Which ends of a segment are its own. A run of joined segments leaves each
// joint to the segment that starts there, so no joint pixel is blended twice.
struct SegmentEnds {
    bool start = true;
    bool end = true;
};

// An antialiased straight stroke from (ax, ay) to (bx, by). `dashPhase` is
// the distance along the dash pattern at which the stroke starts.
void RasterStrokeSegment(PixelSurface& surface, double ax, double ay, double bx, double by,
                         const StrokeStyle& style, Colour colour, SegmentEnds ends = {},
                         double dashPhase = 0.0);

// The antialiased outline of the ellipse with centre (cx, cy) and radii
// (rx, ry), `width` px wide and centred on the curve.
void RasterStrokeEllipse(PixelSurface& surface, double cx, double cy, double rx, double ry, double width,
                         Colour colour);

// Part of that outline: from `startDeg` counterclockwise on the screen
// through `spanDeg` (0 < spanDeg <= 360), angles measured on the ellipse's
// parameter circle as for QPainter::drawArc.
void RasterStrokeArc(PixelSurface& surface, double cx, double cy, double rx, double ry, double width,
                     double startDeg, double spanDeg, Colour colour);

// The antialiased interior of that ellipse.
void RasterFillEllipse(PixelSurface& surface, double cx, double cy, double rx, double ry, Colour colour);

// The part of one row of an image that is not transparent: [first, last).
struct ImageRowSpan {
    int first = 0;
    int last = 0;
};

// The spans of each row of an image of premultiplied pixels.
std::vector<ImageRowSpan> VisibleSpans(const std::uint32_t* source, int width, int height,
                                       std::ptrdiff_t stride);

// Draws premultiplied 0xAARRGGBB pixels over the surface with their top-left
// corner at (x, y). With `spans` (one per row, from VisibleSpans) only the
// visible part of each row is blended.
void RasterBlendImage(PixelSurface& surface, int x, int y, const std::uint32_t* source, int width, int height,
                      std::ptrdiff_t sourceStride, const ImageRowSpan* spans = nullptr);

}  // namespace kb
