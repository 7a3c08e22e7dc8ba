#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

namespace kb {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kRedBlue = 0x00FF00FFu;
constexpr double kDegToRadians = std::numbers::pi / 180.0;
// Coordinates beyond this, px, are taken as lying at it: far off any surface,
// yet small enough for fixed point.
constexpr double kFarPx = 1e12;
// Extra room when an ellipse's own radii stand in for its offset curves.
// How far past its rim a filled ellipse can leave ink: half a pixel for a
// circle; for an ellipse, whose scaled copies only approximate its offset
// curves, with room to spare.
constexpr double kCircleFringePx = 0.5;
constexpr double kEllipseSlackPx = 2.0;

// `source` (opaque) over `target` with `coverage` (0..256), all four channels.
inline std::uint32_t Mix(std::uint32_t target, std::uint32_t source, std::uint32_t coverage)
{
    const std::uint32_t keep = 256 - coverage;
    const std::uint32_t rb = (((target & kRedBlue) * keep + (source & kRedBlue) * coverage) >> 8) & kRedBlue;
    const std::uint32_t ag =
        (((target >> 8) & kRedBlue) * keep + ((source >> 8) & kRedBlue) * coverage) & ~kRedBlue;
    return rb | ag;
}

// Coverage outside [0, 1] is clamped. Mix is exact at both ends, so no
// branch is needed for the untouched and the fully covered pixels.
inline void Plot(std::uint32_t& pixel, std::uint32_t source, double coverage)
{
    pixel = Mix(pixel, source, static_cast<std::uint32_t>(std::clamp(coverage, 0.0, 1.0) * 256.0 + 0.5));
}

std::uint32_t* Row(PixelSurface& surface, int y)
{
    return surface.pixels + surface.stride * y;
}

// Integer pixel range [first, last] whose centres may lie in [lo, hi], clipped to [0, size).
bool PixelRange(double lo, double hi, int size, int& first, int& last)
{
    if (!(hi >= lo) || !std::isfinite(lo) || !std::isfinite(hi)) {
        return false;
    }
    const double from = std::max(0.0, std::floor(lo));
    const double to = std::min(static_cast<double>(size - 1), std::floor(hi));
    if (from > to) {
        return false;
    }
    first = static_cast<int>(from);
    last = static_cast<int>(to);
    return true;
}

// Signed distance, approximately, from (x, y) (relative to the centre) to the
// ellipse with radii (rx, ry): negative inside. Exact for circles and on the
// axes, and close to the curve everywhere, which is all coverage needs.
double EllipseDistance(double x, double y, double rx, double ry)
{
    if (rx == ry) {
        return std::sqrt(x * x + y * y) - rx;
    }
    const double f = std::sqrt((x * x) / (rx * rx) + (y * y) / (ry * ry));
    const double g = std::sqrt((x * x) / (rx * rx * rx * rx) + (y * y) / (ry * ry * ry * ry));
    if (g <= 0.0) {
        return -std::min(rx, ry);
    }
    return (f - 1.0) * f / g;
}

// Whether the parameter-circle direction (qx, qy) lies in the arc from
// `start` counterclockwise through `span` radians.
class Wedge {
public:
    Wedge(double start, double span)
        : full_(span >= 2.0 * std::numbers::pi),
          wide_(span > std::numbers::pi),
          sx_(std::cos(start)),
          sy_(std::sin(start)),
          ex_(std::cos(start + span)),
          ey_(std::sin(start + span))
    {
    }

    bool Contains(double qx, double qy) const
    {
        if (full_) {
            return true;
        }
        const double fromStart = sx_ * qy - sy_ * qx;  // > 0: counterclockwise of the start
        const double toEnd = qx * ey_ - qy * ex_;      // > 0: clockwise of the end
        if (wide_) {
            return !(fromStart < 0.0 && toEnd < 0.0);
        }
        return fromStart >= 0.0 && toEnd >= 0.0;
    }

private:
    bool full_;
    bool wide_;
    double sx_, sy_, ex_, ey_;
};

// Adds `share` (in 1/256 of a pixel, at most 256) of `source` to a pixel.
inline void Cover(std::uint32_t& pixel, std::uint32_t source, long long share)
{
    pixel = Mix(pixel, source, static_cast<std::uint32_t>(std::clamp(share, 0LL, 256LL)));
}

// A coordinate in 1/256 pixel, rounded to nearest; coordinates are clipped
// long before they could overflow.
inline long long ToFixed(double value)
{
    return static_cast<long long>(std::floor(std::clamp(value, -kFarPx, kFarPx) * 256.0 + 0.5));
}

// Covers the part [lo, hi) of a column of pixels (`vStep` apart), in 1/256 of
// a pixel, clipped to [0, end).
inline void CoverInterval(std::uint32_t* column, std::ptrdiff_t vStep, long long end, long long lo,
                          long long hi, std::uint32_t source)
{
    const long long top = std::max(lo, 0LL);
    const long long bottom = std::min(hi, end);
    if (top >= bottom) {
        return;
    }
    const long long firstPixel = top >> 8;
    const long long lastPixel = (bottom - 1) >> 8;
    if (firstPixel == lastPixel) {
        Cover(column[vStep * firstPixel], source, bottom - top);
        return;
    }
    Cover(column[vStep * firstPixel], source, ((firstPixel + 1) << 8) - top);
    for (long long v = firstPixel + 1; v < lastPixel; ++v) {
        column[vStep * v] = source;
    }
    Cover(column[vStep * lastPixel], source, bottom - (lastPixel << 8));
}

// A straight stroke, one step per pixel along its major axis u. At each step
// the stroke crosses the minor axis v as an interval of width / cos(angle)
// pixels, and each pixel gets the share of itself that the interval covers.
// Fixed point, 8 fraction bits, keeps each step down to a few additions.
void StrokeSteps(PixelSurface& surface, double au, double av, double bu, double bv, bool xMajor,
                 const StrokeStyle& style, SegmentEnds ends, double dashPhase, std::uint32_t source)
{
    const double originU = au;  // where the dash pattern starts
    if (bu < au) {
        std::swap(au, bu);
        std::swap(av, bv);
        std::swap(ends.start, ends.end);
    }
    const double du = bu - au;
    const double dv = bv - av;
    const double length = std::sqrt(du * du + dv * dv);
    const double secant = length / du;  // stroke length per step
    const double slope = dv / du;
    const double halfThickness = style.width / 2.0 * secant;
    const double capU = std::clamp(style.capExtension, 0.0, kFarPx) / secant;
    const int majorSize = xMajor ? surface.width : surface.height;
    const int minorSize = xMajor ? surface.height : surface.width;

    // The steps are the pixel centres u + 0.5 within the stroke's span;
    // an end that is not the segment's own is left to its neighbour.
    const double from = au - capU - 0.5;
    const double to = bu + capU - 0.5;
    long long first = static_cast<long long>(ends.start ? std::ceil(from) : std::floor(from) + 1.0);
    long long last = static_cast<long long>(ends.end ? std::floor(to) : std::ceil(to) - 1.0);
    if (slope != 0.0) {
        // Only the steps whose interval can reach the surface.
        const double u1 = au + (-halfThickness - 1.0 - av) / slope;
        const double u2 = au + (minorSize + halfThickness + 1.0 - av) / slope;
        first = std::max(first,
                         static_cast<long long>(std::floor(std::clamp(std::min(u1, u2), -kFarPx, kFarPx))));
        last =
            std::min(last, static_cast<long long>(std::ceil(std::clamp(std::max(u1, u2), -kFarPx, kFarPx))));
    } else if (av + halfThickness < 0.0 || av - halfThickness > minorSize) {
        return;
    }
    first = std::max(first, 0LL);
    last = std::min(last, static_cast<long long>(majorSize) - 1);
    if (first > last) {
        return;
    }

    const bool dashed = style.dashOn > 0.0 && style.dashOff > 0.0;
    const double period = style.dashOn + style.dashOff;
    const double towards = bu == originU ? -1.0 : 1.0;  // how u runs along the pattern
    double phase = 0.0;
    if (dashed) {
        phase = std::fmod(std::abs(first + 0.5 - originU) * secant + dashPhase, period);
        if (phase < 0.0) {
            phase += period;
        }
    }
    const double phaseStep = towards * secant;

    const double centre = av + (first + 0.5 - au) * slope;
    long long lo = ToFixed(centre - halfThickness);
    long long hi = ToFixed(centre + halfThickness);
    const long long step = ToFixed(slope);
    const std::ptrdiff_t vStep = xMajor ? surface.stride : 1;
    const std::ptrdiff_t uStep = xMajor ? 1 : surface.stride;
    const long long minorEnd = static_cast<long long>(minorSize) << 8;
    for (long long u = first; u <= last; ++u, lo += step, hi += step) {
        if (dashed) {
            const bool on = phase < style.dashOn;
            phase += phaseStep;
            if (phase >= period) {
                phase -= period;
            } else if (phase < 0.0) {
                phase += period;
            }
            if (!on) {
                continue;
            }
        }
        CoverInterval(surface.pixels + uStep * u, vStep, minorEnd, lo, hi, source);
    }
}

// A rectangle on the surface that holds a piece of the picture.
struct Bounds {
    double left = -HUGE_VAL;
    double top = -HUGE_VAL;
    double right = HUGE_VAL;
    double bottom = HUGE_VAL;
};

// One half of an ellipse's outline, or of the part of it inside `wedge`:
// the steps along u where the curve runs flatter than 45 degrees to u (the
// `primary` pass also takes the points at exactly 45). Each step covers the
// stroke's interval across the curve on both sides of the centre, as for a
// straight stroke.
void StrokeEllipseSteps(PixelSurface& surface, double cx, double cy, double rx, double ry, double width,
                        const Wedge& wedge, const Bounds& bounds, std::uint32_t source, bool xMajor,
                        bool primary)
{
    const double cu = xMajor ? cx : cy;
    const double cv = xMajor ? cy : cx;
    const double ru = xMajor ? rx : ry;
    const double rv = xMajor ? ry : rx;
    const int majorSize = xMajor ? surface.width : surface.height;
    const long long minorEnd = static_cast<long long>(xMajor ? surface.height : surface.width) << 8;
    const std::ptrdiff_t vStep = xMajor ? surface.stride : 1;
    const std::ptrdiff_t uStep = xMajor ? 1 : surface.stride;
    const double half = width / 2.0;
    const double slopeScale = (rv * rv) / (ru * ru);
    // Rows of v the stroke may reach, relative to the centre.
    const double margin = half * std::numbers::sqrt2 + 1.0;
    const double nearest = std::max(-margin, xMajor ? bounds.top : bounds.left) - cv;
    const double farthest = std::min((minorEnd >> 8) + margin, xMajor ? bounds.bottom : bounds.right) - cv;
    const double uLow = xMajor ? bounds.left : bounds.top;
    const double uHigh = xMajor ? bounds.right : bounds.bottom;
    for (const double side : {-1.0, 1.0}) {
        // On this side the curve lies at cv + side * across(u), and across
        // falls from rv at the centre to 0 at u = cu +- ru; only where it lies
        // between `nearest` and `farthest` can it reach the surface.
        const double low = std::clamp(std::min(side * nearest, side * farthest), 0.0, rv);
        const double high = std::clamp(std::max(side * nearest, side * farthest), 0.0, rv);
        if (low >= high && !(low == 0.0 && high == 0.0 && nearest <= 0.0 && farthest >= 0.0)) {
            continue;
        }
        const double innerAlong = ru * std::sqrt(std::max(0.0, 1.0 - (high / rv) * (high / rv)));
        const double outerAlong = ru * std::sqrt(std::max(0.0, 1.0 - (low / rv) * (low / rv)));
        for (const double direction : {-1.0, 1.0}) {
            const double a = cu + direction * innerAlong;
            const double b = cu + direction * outerAlong;
            int first = 0;
            int last = 0;
            if (!PixelRange(std::max(std::min(a, b), uLow) - 1.0, std::min(std::max(a, b), uHigh) + 0.5,
                            majorSize, first, last)) {
                continue;
            }
            for (int u = first; u <= last; ++u) {
                const double along = u + 0.5 - cu;
                // Each column belongs to the half it lies in.
                if ((along < 0.0) != (direction < 0.0)) {
                    continue;
                }
                const double rest = 1.0 - (along / ru) * (along / ru);
                if (rest <= 0.0) {
                    continue;
                }
                const double across = rv * std::sqrt(rest);
                const double slope = slopeScale * std::abs(along) / across;
                if (primary ? slope > 1.0 : slope >= 1.0) {
                    continue;
                }
                const double thickness = half * std::sqrt(1.0 + slope * slope);
                const double v = cv + side * across;
                const double qx = xMajor ? along / rx : (v - cx) / rx;
                const double qy = xMajor ? (cy - v) / ry : -along / ry;
                if (wedge.Contains(qx, qy)) {
                    CoverInterval(surface.pixels + uStep * u, vStep, minorEnd, ToFixed(v - thickness),
                                  ToFixed(v + thickness), source);
                }
            }
        }
    }
}

// The outline of an ellipse, or the part of it inside `wedge`, which lies within `bounds`.
void StrokeEllipseIn(PixelSurface& surface, double cx, double cy, double rx, double ry, double width,
                     Colour colour, const Wedge& wedge, const Bounds& bounds)
{
    if (!(rx > 0.0) || !(ry > 0.0) || !(width > 0.0) || !std::isfinite(cx) || !std::isfinite(cy)) {
        return;
    }
    const std::uint32_t source = kOpaque | colour;
    StrokeEllipseSteps(surface, cx, cy, rx, ry, width, wedge, bounds, source, true, true);
    StrokeEllipseSteps(surface, cx, cy, rx, ry, width, wedge, bounds, source, false, false);
}

}  // namespace

void RasterFillRect(PixelSurface& surface, int x1, int y1, int x2, int y2, Colour colour)
{
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, surface.width);
    y2 = std::min(y2, surface.height);
    if (x1 >= x2 || y1 >= y2) {
        return;
    }
    std::uint32_t* first = Row(surface, y1) + x1;
    std::fill(first, first + (x2 - x1), kOpaque | colour);
    // Copying the first row is several times faster than filling each one.
    const std::size_t bytes = static_cast<std::size_t>(x2 - x1) * sizeof(std::uint32_t);
    for (int y = y1 + 1; y < y2; ++y) {
        std::memcpy(Row(surface, y) + x1, first, bytes);
    }
}

void RasterStrokeSegment(PixelSurface& surface, double ax, double ay, double bx, double by,
                         const StrokeStyle& style, Colour colour, SegmentEnds ends, double dashPhase)
{
    if (!(style.width > 0.0) || !std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) ||
        !std::isfinite(by)) {
        return;
    }
    // Endpoints are clamped to kFarPx; the angle changes at most negligibly.
    ax = std::clamp(ax, -kFarPx, kFarPx);
    ay = std::clamp(ay, -kFarPx, kFarPx);
    bx = std::clamp(bx, -kFarPx, kFarPx);
    by = std::clamp(by, -kFarPx, kFarPx);
    const std::uint32_t source = kOpaque | colour;
    const double cap = std::max(0.0, style.capExtension);
    const double lengthSquared = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
    if (lengthSquared == 0.0) {
        // A point: a square cap still leaves its square, a flat one nothing.
        if (cap > 0.0 && ends.start && ends.end) {
            int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
            if (PixelRange(ax - cap - 0.5, ax + cap - 0.5, surface.width, x1, x2) &&
                PixelRange(ay - cap - 0.5, ay + cap - 0.5, surface.height, y1, y2)) {
                RasterFillRect(surface, x1, y1, x2 + 1, y2 + 1, colour);
            }
        }
        return;
    }
    // Work along the major axis u, across it along v.
    const bool xMajor = std::abs(bx - ax) >= std::abs(by - ay);
    StrokeSteps(surface, xMajor ? ax : ay, xMajor ? ay : ax, xMajor ? bx : by, xMajor ? by : bx, xMajor,
                style, ends, dashPhase, source);
}

void RasterStrokeEllipse(PixelSurface& surface, double cx, double cy, double rx, double ry, double width,
                         Colour colour)
{
    StrokeEllipseIn(surface, cx, cy, rx, ry, width, colour, Wedge(0.0, 2.0 * std::numbers::pi), Bounds{});
}

void RasterStrokeArc(PixelSurface& surface, double cx, double cy, double rx, double ry, double width,
                     double startDeg, double spanDeg, Colour colour)
{
    if (!(spanDeg > 0.0)) {
        return;
    }
    const double start = startDeg * kDegToRadians;
    const double span = std::min(spanDeg, 360.0) * kDegToRadians;
    const Wedge wedge(start, span);
    // The arc's ends and whichever of the four extremes it passes bound it.
    Bounds bounds{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    auto include = [&](double angle) {
        const double x = cx + rx * std::cos(angle);
        const double y = cy - ry * std::sin(angle);
        bounds.left = std::min(bounds.left, x);
        bounds.right = std::max(bounds.right, x);
        bounds.top = std::min(bounds.top, y);
        bounds.bottom = std::max(bounds.bottom, y);
    };
    include(start);
    include(start + span);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double angle = quarter * std::numbers::pi / 2.0;
        if (wedge.Contains(std::cos(angle), std::sin(angle))) {
            include(angle);
        }
    }
    const double margin = width + 1.0;
    bounds.left -= margin;
    bounds.top -= margin;
    bounds.right += margin;
    bounds.bottom += margin;
    StrokeEllipseIn(surface, cx, cy, rx, ry, width, colour, wedge, bounds);
}

void RasterFillEllipse(PixelSurface& surface, double cx, double cy, double rx, double ry, Colour colour)
{
    if (!(rx > 0.0) || !(ry > 0.0)) {
        return;
    }
    const std::uint32_t source = kOpaque | colour;
    const double reach = rx == ry ? kCircleFringePx : kEllipseSlackPx;
    const double outerX = rx + reach;
    const double outerY = ry + reach;
    const double coreX = rx - reach;
    const double coreY = ry - reach;
    int top = 0;
    int bottom = 0;
    if (!PixelRange(cy - outerY - 0.5, cy + outerY - 0.5, surface.height, top, bottom)) {
        return;
    }
    for (int iy = top; iy <= bottom; ++iy) {
        const double py = iy + 0.5 - cy;
        if (std::abs(py) >= outerY) {
            continue;
        }
        const double halfRow = outerX * std::sqrt(1.0 - (py / outerY) * (py / outerY));
        std::uint32_t* row = Row(surface, iy);
        int first = 0;
        int last = 0;
        if (!PixelRange(cx - halfRow - 0.5, cx + halfRow - 0.5, surface.width, first, last)) {
            continue;
        }
        // Pixels well inside are covered outright; only the rim needs a distance.
        int coreFirst = last + 1;
        int coreLast = last;
        if (coreX > 0.0 && coreY > 0.0 && std::abs(py) < coreY) {
            const double core = coreX * std::sqrt(1.0 - (py / coreY) * (py / coreY));
            coreFirst = std::max(first, static_cast<int>(std::ceil(cx - core - 0.5)));
            coreLast = std::min(last, static_cast<int>(std::floor(cx + core - 0.5)));
            if (coreFirst > coreLast) {
                coreFirst = last + 1;
                coreLast = last;
            }
        }
        for (int ix = first; ix <= last; ++ix) {
            if (ix == coreFirst) {
                std::fill(row + coreFirst, row + coreLast + 1, source);
                ix = coreLast;
                continue;
            }
            const double px = ix + 0.5 - cx;
            Plot(row[ix], source, 0.5 - EllipseDistance(px, py, rx, ry));
        }
    }
}

std::vector<ImageRowSpan> VisibleSpans(const std::uint32_t* source, int width, int height,
                                       std::ptrdiff_t stride)
{
    std::vector<ImageRowSpan> spans(static_cast<std::size_t>(std::max(0, height)));
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = source + stride * y;
        int first = 0;
        while (first < width && (row[first] >> 24) == 0) {
            ++first;
        }
        int last = width;
        while (last > first && (row[last - 1] >> 24) == 0) {
            --last;
        }
        spans[static_cast<std::size_t>(y)] = ImageRowSpan{first, last};
    }
    return spans;
}

void RasterBlendImage(PixelSurface& surface, int x, int y, const std::uint32_t* source, int width, int height,
                      std::ptrdiff_t sourceStride, const ImageRowSpan* spans)
{
    const int y1 = std::max(y, 0);
    const int y2 = std::min(y + height, surface.height);
    for (int ty = y1; ty < y2; ++ty) {
        int first = 0;
        int last = width;
        if (spans != nullptr) {
            first = spans[ty - y].first;
            last = spans[ty - y].last;
        }
        first = std::max(first, -x);
        last = std::min(last, surface.width - x);
        const std::uint32_t* from = source + sourceStride * (ty - y) + first;
        std::uint32_t* to = Row(surface, ty) + x + first;
        for (int i = first; i < last; ++i, ++from, ++to) {
            // Premultiplied source over the target; exact for alpha 0 and 255.
            const std::uint32_t pixel = *from;
            const std::uint32_t alpha = pixel >> 24;
            const std::uint32_t keep = 256 - alpha - (alpha >> 7);
            const std::uint32_t target = *to;
            const std::uint32_t rb = (((target & kRedBlue) * keep) >> 8) & kRedBlue;
            const std::uint32_t ag = (((target >> 8) & kRedBlue) * keep) & ~kRedBlue;
            *to = pixel + (rb | ag);
        }
    }
}

}  // namespace kb
