#include <array>
#include <cmath>
#include "model/catalogue.h"

#include "layers.h"

namespace kb {
namespace {

constexpr int kPrimaryBeamWidthPx = 2;
constexpr float kTwoThetaArcRadiusWorld = 2100.0f;
constexpr float kThetaArcInnerRadiusWorld = 1760.0f;
constexpr float kThetaArcOuterRadiusWorld = 1820.0f;
constexpr float kOmegaArcRadiusWorld = 1500.0f;
constexpr float kArcLabelHeightWorld = 150.0f;
constexpr float kRedArcRadiusFactor = 1.2f;  // times VF
constexpr float kCrystalMarkFactor = 0.05f;
// Half the side of the unknown crystal's block, world units: about the
// standard block's size, whatever the cell.
constexpr float kNeutralMarkHalfWorld = 60.0f;
constexpr float kCornerTolerance = 0.001f;
constexpr int kAxisWidthPx = 2;

}  // namespace

void DrawPrimaryBeam(PassContext& ctx)
{
    ctx.canvas.SetPenColour(ctx.s.PrimaryBeamColour);
    ctx.canvas.SetPenWidth(kPrimaryBeamWidthPx);
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.draw.DrawWorldLine(ctx.g.PrimaryStart, ctx.s.CrystalCentre);
    ctx.canvas.SetPenWidth(1);
    ctx.canvas.SetPenStyle(PenStyle::Dash);
    ctx.draw.DrawArrow(ToPixels(ctx.s, ctx.s.CrystalCentre), ToPixels(ctx.s, ctx.g.PrimaryEnd));
}

void DrawDiffractedBeam(PassContext& ctx)
{
    const SimState& s = ctx.s;
    const PassGeometry& g = ctx.g;
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenColour(s.DiffractedBeamColour);
    ctx.canvas.SetPenWidth(s.DiffractedBeamWidth);
    const Point diffractedEnd =
        MakePoint(Single(static_cast<double>(s.DiffractedBeamLength) * g.CosTwoTheta),
                  Single(static_cast<double>(s.DiffractedBeamLength) * g.SinTwoTheta));
    ctx.draw.DrawArrow(BeamToPixels(s, MakePoint(0, 0)), BeamToPixels(s, diffractedEnd));
    if (ctx.flags.TwoThetaArc) {
        ctx.draw.DrawBeamArc(g.BeamAxisPoint, diffractedEnd, Tr("core", "2Theta"), kTwoThetaArcRadiusWorld,
                             kArcLabelHeightWorld);
    }
    if (ctx.flags.ThetaArcs) {
        ctx.draw.DrawBeamArc(g.BeamAxisPoint, g.ThetaPoint, Tr("core", "Theta"), kThetaArcInnerRadiusWorld,
                             kArcLabelHeightWorld);
        ctx.draw.DrawBeamArc(g.ThetaPoint, diffractedEnd, Tr("core", "Theta"), kThetaArcOuterRadiusWorld,
                             kArcLabelHeightWorld);
        ctx.draw.DrawRedArc(s.CrystalPixel, g.SourcePixel, g.BackThetaPixel,
                            Single(static_cast<double>(kRedArcRadiusFactor) * s.VF), Tr("core", "Theta"));
        ctx.canvas.SetPenColour(kBlack);
        ctx.canvas.SetPenWidth(1);
        ctx.canvas.SetPenStyle(PenStyle::Dot);
        ctx.draw.DrawBeamLine(MakePoint(0, 0), g.ThetaPoint);
    }
}

void DrawOmegaArc(PassContext& ctx)
{
    ctx.canvas.SetPenWidth(1);
    ctx.draw.DrawBeamArc(ctx.g.BeamAxisPoint, ctx.g.OmegaPoint, Tr("core", "Omega"), kOmegaArcRadiusWorld,
                         kArcLabelHeightWorld);
    ctx.canvas.SetPenColour(kBlack);
    ctx.canvas.SetPenWidth(1);
    ctx.canvas.SetPenStyle(PenStyle::Dot);
    ctx.draw.DrawBeamLine(MakePoint(0, 0), ctx.g.OmegaPoint);
}

void DrawLatticePoints(PassContext& ctx)
{
    const SimState& s = ctx.s;
    ctx.canvas.SetBrushStyle(BrushStyle::Clear);
    ctx.canvas.SetPenColour(s.LatticePointColour);
    ctx.canvas.SetPenWidth(1);
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    for (int y = s.LatticeJMin; y <= s.LatticeJMax; ++y) {
        for (int x = s.LatticeIMin; x <= s.LatticeIMax; ++x) {
            ctx.draw.DrawLatticeCircle(MakePoint(static_cast<float>(x), static_cast<float>(y)),
                                       s.LatticePointRadius);
        }
    }
}

void DrawCrystalMark(PassContext& ctx)
{
    const SimState& s = ctx.s;
    const auto corner = [&](int i, int j) {
        const Point lattice = MakePoint(Single(static_cast<double>(kCrystalMarkFactor) * i),
                                        Single(static_cast<double>(kCrystalMarkFactor) * j));
        return ctx.draw.ToScreen(LatticeToPixels(s, lattice));
    };
    const std::array<ScreenPoint, 4> corners = {
        corner(s.LatticeIMin, s.LatticeJMin), corner(s.LatticeIMax, s.LatticeJMin),
        corner(s.LatticeIMax, s.LatticeJMax), corner(s.LatticeIMin, s.LatticeJMax)};
    ctx.canvas.SetBrushColour(kBlue);
    ctx.canvas.SetPenStyle(PenStyle::Clear);
    ctx.canvas.Polygon(corners);
}

void DrawNeutralCrystalMark(PassContext& ctx)
{
    const SimState& s = ctx.s;
    const auto corner = [&](float u, float v) {
        const double x = static_cast<double>(u) * s.CosOmega - static_cast<double>(v) * s.SinOmega;
        const double y = static_cast<double>(u) * s.SinOmega + static_cast<double>(v) * s.CosOmega;
        return ctx.draw.ToScreen(
            ToPixels(s, MakePoint(Single(x + s.CrystalCentre.x), Single(y + s.CrystalCentre.y))));
    };
    const float h = kNeutralMarkHalfWorld;
    const std::array<ScreenPoint, 4> corners = {corner(-h, -h), corner(h, -h), corner(h, h), corner(-h, h)};
    ctx.canvas.SetBrushColour(kBlue);
    ctx.canvas.SetPenStyle(PenStyle::Clear);
    ctx.canvas.Polygon(corners);
}

namespace {

void DrawObliquePlanes(PassContext& ctx, float x0, float x1, float y0, float y1)
{
    const float planeH = ctx.g.PlaneH;
    const float planeK = ctx.g.PlaneK;
    const float m = Single(-(static_cast<double>(planeH) / planeK));
    const float cmin =
        std::min(Single(x0 - static_cast<double>(y1) / m), Single(x0 - static_cast<double>(y0) / m));
    const float cmax =
        std::max(Single(x1 - static_cast<double>(y1) / m), Single(x1 - static_cast<double>(y0) / m));
    const double step = 1.0 / std::fabs(static_cast<double>(planeH));
    float c = cmin;
    do {
        const std::array<Point, 4> candidates = {
            MakePoint(Single(static_cast<double>(y1) / m + c), y1),
            MakePoint(Single(static_cast<double>(y0) / m + c), y0),
            MakePoint(x0, Single((static_cast<double>(x0) - c) * m)),
            MakePoint(x1, Single((static_cast<double>(x1) - c) * m)),
        };
        std::array<Point, 4> accepted{};
        int count = 0;
        for (const Point& p : candidates) {
            if (p.x < x0 || p.x > x1 || p.y < y0 || p.y > y1) {
                continue;
            }
            bool duplicate = false;
            for (int i = 0; i < count; ++i) {
                if (std::fabs(accepted[i].x - p.x) < kCornerTolerance &&
                    std::fabs(accepted[i].y - p.y) < kCornerTolerance) {
                    duplicate = true;
                    break;
                }
            }
            if (!duplicate) {
                accepted[count++] = p;
            }
        }
        if (count >= 2) {
            ctx.draw.DrawLatticeLine(accepted[0], accepted[1]);
        }
        c = Single(c + step);
    } while (c <= cmax);
}

}  // namespace

void DrawLatticePlanes(PassContext& ctx)
{
    const SimState& s = ctx.s;
    const auto x0 = static_cast<float>(s.LatticeIMin);
    const auto x1 = static_cast<float>(s.LatticeIMax);
    const auto y0 = static_cast<float>(s.LatticeJMin);
    const auto y1 = static_cast<float>(s.LatticeJMax);
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenColour(kBlack);
    ctx.canvas.SetPenWidth(1);
    const bool hZero = ctx.g.H == 0.0f;
    const bool kZero = ctx.g.K == 0.0f;
    if (!hZero && !kZero) {
        DrawObliquePlanes(ctx, x0, x1, y0, y1);
    } else if (!hZero) {
        for (float t = x0; t <= x1; t = t + 1.0f) {
            ctx.draw.DrawLatticeLine(MakePoint(t, y1), MakePoint(t, y0));
        }
    } else if (!kZero) {
        for (float t = y0; t <= y1; t = t + 1.0f) {
            ctx.draw.DrawLatticeLine(MakePoint(x0, t), MakePoint(x1, t));
        }
    }
}

void DrawDirectAxes(PassContext& ctx)
{
    ctx.canvas.SetPenWidth(kAxisWidthPx);
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenColour(kGreen);
    ctx.draw.DrawLatticeLine(MakePoint(0, 0), MakePoint(1, 0));
    ctx.canvas.SetPenColour(kBlue);
    ctx.draw.DrawLatticeLine(MakePoint(0, 0), MakePoint(0, 1));
}

void DrawCrystalScatteringVector(PassContext& ctx)
{
    const SimState& s = ctx.s;
    ctx.canvas.SetPenWidth(1);
    ctx.canvas.SetPenStyle(PenStyle::Dot);
    const double angle = ctx.g.ScatterAngle;
    const Point tip = MakePoint(Single(std::cos(angle) * s.ScatterLength + s.CrystalPixel.x),
                                Single(std::sin(angle) * s.ScatterLength + s.CrystalPixel.y));
    ctx.draw.DrawArrow(s.CrystalPixel, tip);
}

}  // namespace kb
