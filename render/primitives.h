#pragma once

#include <string_view>

#include "canvas.h"
#include "pass_geometry.h"

namespace kb {

constexpr float kArrowHeadLengthPx = 20.0f;
constexpr double kArrowHeadSpreadRad = 0.3;
constexpr int kRedArcFontPt = 13;

// The primitives draw in pixel-frame coordinates (y up) unless named after
// another frame; the flip to the screen is screen y = BaseY - Round(y).
class Primitives {
public:
    Primitives(const SimState& state, Canvas& canvas) : s_(state), canvas_(canvas) {}

    void DrawSegment(const Point& p, const Point& q);
    void DrawWorldLine(const Point& p, const Point& q);
    void DrawBeamLine(const Point& p, const Point& q);
    void DrawLatticeLine(const Point& p, const Point& q);
    void DrawArrow(const Point& tail, const Point& tip);
    void DrawCircle(const Point& centre, float radiusPx);
    void DrawWorldCircle(const Point& centre, float radiusWorld);
    void DrawLatticeCircle(const Point& centre, float radiusWorld);
    void DrawLabelledArc(const Point& centre, const Point& p1, const Point& p2, float radiusPx,
                         float fontHeightPx, std::string_view text);
    void DrawBeamArc(const Point& a, const Point& b, std::string_view text, float radiusWorld,
                     float fontHeightWorld);
    void DrawRedArc(const Point& centre, const Point& p1, const Point& p2, float radiusPx,
                    std::string_view text);

    ScreenPoint ToScreen(const Point& pixel) const;
    int ScreenY(float y) const;

private:
    void ArcOutline(const Point& centre, const Point& p1, const Point& p2, float radiusPx);
    void PlaceLabel(const Point& centre, float radiusPx, double alpha1, double alpha2,
                    std::string_view text, bool redArcRounding);

    const SimState& s_;
    Canvas& canvas_;
};

// Direction of the ray from `centre` through `p`, in [0, 2 pi); the cosine is
// clamped to [-1, 1], since single precision can push it just past 1.
double RayAngle(const Point& centre, const Point& p);

}  // namespace kb
