#include "primitives.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kb {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

float RayCosine(const Point& centre, const Point& p)
{
    const double dx = static_cast<double>(p.x) - centre.x;
    const double dy = static_cast<double>(p.y) - centre.y;
    const float length = Single(std::sqrt(dx * dx + dy * dy));
    return Single(dx / length);
}

double AngleFromCosine(float cosine, const Point& centre, const Point& p)
{
    double alpha = std::acos(std::clamp(static_cast<double>(cosine), -1.0, 1.0));
    if (p.y < centre.y) {
        alpha = kTwoPi - alpha;
    }
    return alpha;
}

}  // namespace

double RayAngle(const Point& centre, const Point& p) { return AngleFromCosine(RayCosine(centre, p), centre, p); }

int Primitives::ScreenY(float y) const { return s_.BaseY - RoundHalfEven(y); }

ScreenPoint Primitives::ToScreen(const Point& pixel) const { return {RoundHalfEven(pixel.x), ScreenY(pixel.y)}; }

void Primitives::DrawSegment(const Point& p, const Point& q)
{
    canvas_.MoveTo(RoundHalfEven(p.x), ScreenY(p.y));
    canvas_.LineTo(RoundHalfEven(q.x), ScreenY(q.y));
}

void Primitives::DrawWorldLine(const Point& p, const Point& q) { DrawSegment(ToPixels(s_, p), ToPixels(s_, q)); }

void Primitives::DrawBeamLine(const Point& p, const Point& q)
{
    DrawSegment(BeamToPixels(s_, p), BeamToPixels(s_, q));
}

void Primitives::DrawLatticeLine(const Point& p, const Point& q)
{
    DrawSegment(LatticeToPixels(s_, p), LatticeToPixels(s_, q));
}

void Primitives::DrawArrow(const Point& tail, const Point& tip)
{
    const double dx = static_cast<double>(tail.x) - tip.x;
    const double dy = static_cast<double>(tail.y) - tip.y;
    const float length = Single(std::sqrt(dx * dx + dy * dy));
    const double cosine = (static_cast<double>(tip.x) - tail.x) / length;
    const float phi = Single(std::acos(std::clamp(cosine, -1.0, 1.0)));
    DrawSegment(tail, tip);
    const Point head1 = MakePoint(Single(tip.x - kArrowHeadLengthPx * std::cos(phi + kArrowHeadSpreadRad)),
                                  Single(tip.y - kArrowHeadLengthPx * std::sin(phi + kArrowHeadSpreadRad)));
    DrawSegment(tip, head1);
    const Point head2 = MakePoint(Single(tip.x - kArrowHeadLengthPx * std::cos(phi - kArrowHeadSpreadRad)),
                                  Single(tip.y - kArrowHeadLengthPx * std::sin(phi - kArrowHeadSpreadRad)));
    DrawSegment(tip, head2);
}

void Primitives::DrawCircle(const Point& centre, float radiusPx)
{
    const int cx = RoundHalfEven(centre.x);
    const int cy = ScreenY(centre.y);
    const int rr = RoundHalfEven(radiusPx);
    canvas_.Ellipse(cx - rr, cy - rr, cx + rr, cy + rr);
}

void Primitives::DrawWorldCircle(const Point& centre, float radiusWorld)
{
    DrawCircle(ToPixels(s_, centre), static_cast<float>(RoundHalfEven(static_cast<double>(radiusWorld) * s_.ViewScale)));
}

void Primitives::DrawLatticeCircle(const Point& centre, float radiusWorld)
{
    DrawCircle(LatticeToPixels(s_, centre),
               static_cast<float>(RoundHalfEven(static_cast<double>(radiusWorld) * s_.ViewScale)));
}

void Primitives::ArcOutline(const Point& centre, const Point& p1, const Point& p2, float radiusPx)
{
    const int x1 = RoundHalfEven(Single(static_cast<double>(centre.x) - radiusPx));
    const int y1 = ScreenY(Single(static_cast<double>(centre.y) - radiusPx));
    const int x2 = RoundHalfEven(Single(static_cast<double>(centre.x) + radiusPx));
    const int y2 = ScreenY(Single(static_cast<double>(centre.y) + radiusPx));
    const ScreenPoint start = ToScreen(p1);
    const ScreenPoint end = ToScreen(p2);
    canvas_.Arc(x1, y1, x2, y2, start.x, start.y, end.x, end.y);
}

void Primitives::PlaceLabel(const Point& centre, float radiusPx, double alpha1, double alpha2,
                            std::string_view text, bool redArcRounding)
{
    const double mu = (alpha1 + alpha2) * 0.5;
    const float x = Single(radiusPx * std::cos(mu) + centre.x);
    const float y = Single(radiusPx * std::sin(mu) + centre.y);
    const int tw = canvas_.TextWidth(text);
    const int th = canvas_.TextHeight(text);
    const int left = RoundHalfEven(x) - tw / 2;
    const int top = redArcRounding ? s_.BaseY - (RoundHalfEven(y) + th / 2) : s_.BaseY - RoundHalfEven(y) - th / 2;
    canvas_.TextOut(left, top, text);
}

void Primitives::DrawLabelledArc(const Point& centre, const Point& p1, const Point& p2, float radiusPx,
                                 float fontHeightPx, std::string_view text)
{
    canvas_.SetPenStyle(PenStyle::Solid);
    canvas_.SetPenWidth(1);
    canvas_.SetPenColour(kBlack);
    ArcOutline(centre, p1, p2, radiusPx);
    if (text.empty()) {
        return;
    }
    const float c1 = RayCosine(centre, p1);
    if (c1 > 1.0f) {
        return;  // the first ray is level with the centre and rounding pushed its cosine past 1
    }
    const double alpha1 = AngleFromCosine(c1, centre, p1);
    const double alpha2 = RayAngle(centre, p2);
    canvas_.SetFontHeight(RoundHalfEven(fontHeightPx));
    canvas_.SetBrushColour(kWhite);
    canvas_.SetBrushStyle(BrushStyle::Clear);
    PlaceLabel(centre, radiusPx, alpha1, alpha2, text, false);
}

void Primitives::DrawBeamArc(const Point& a, const Point& b, std::string_view text, float radiusWorld,
                             float fontHeightWorld)
{
    DrawLabelledArc(ToPixels(s_, s_.CrystalCentre), BeamToPixels(s_, a), BeamToPixels(s_, b),
                    Single(static_cast<double>(radiusWorld) * s_.ViewScale),
                    Single(static_cast<double>(fontHeightWorld) * s_.ViewScale), text);
}

void Primitives::DrawRedArc(const Point& centre, const Point& p1, const Point& p2, float radiusPx,
                            std::string_view text)
{
    canvas_.SetPenStyle(PenStyle::Solid);
    canvas_.SetPenColour(kDarkRed);
    ArcOutline(centre, p1, p2, radiusPx);
    const double alpha1 = RayAngle(centre, p1);
    const double alpha2 = RayAngle(centre, p2);
    canvas_.SetFontSize(kRedArcFontPt);
    canvas_.SetBrushColour(kWhite);
    canvas_.SetBrushStyle(BrushStyle::Clear);
    PlaceLabel(centre, radiusPx, alpha1, alpha2, text, true);
}

}  // namespace kb
