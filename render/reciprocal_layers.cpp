#include <cmath>
#include <string>

#include "layers.h"

namespace kb {
namespace {

constexpr int kEwaldCircleWidthPx = 2;
constexpr int kReciprocalPointPenPx = 2;
constexpr float kOriginMarkRadiusPx = 6.0f;  // not scaled with the window
constexpr float kIndexLabelHeightWorld = 120.0f;
constexpr float kReciprocalDiscRadiusWorld = 40.0f;
constexpr float kEwaldRingPenWorld = 10.0f;
constexpr float kEwaldRingRadiusWorld = 40.0f;
constexpr float kThetaConstructionRadiusWorld = 600.0f;
constexpr float kThetaConstructionLabelWorld = 150.0f;
constexpr int kReciprocalAxisWidthPx = 2;
constexpr const char* kIndexLabelFace = "Arial";

const Reflex& Entry(const SimState& s, int i) { return s.ReflexTable[static_cast<std::size_t>(i)]; }

Point IndicesOf(const Reflex& r) { return MakePoint(static_cast<float>(r.H), static_cast<float>(r.K)); }

}  // namespace

void DrawEwaldCircle(PassContext& ctx)
{
    ctx.canvas.SetBrushStyle(BrushStyle::Clear);
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenWidth(kEwaldCircleWidthPx);
    ctx.canvas.SetPenColour(ctx.s.EwaldCircleColour);
    ctx.draw.DrawCircle(ctx.s.CrystalPixel, ctx.s.VF);
}

void RecordEwaldMark(PassContext& ctx)
{
    SimState& s = ctx.s;
    Reflex& active = s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)];
    active.EwaldMark = ReciprocalToWorld(s, IndicesOf(active));
}

void DrawReciprocalPoints(PassContext& ctx)
{
    const SimState& s = ctx.s;
    Canvas& canvas = ctx.canvas;
    canvas.SetPenStyle(PenStyle::Solid);
    canvas.SetPenWidth(kReciprocalPointPenPx);
    canvas.SetPenColour(s.ReciprocalPointColour);
    canvas.SetBrushColour(kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    ctx.draw.DrawCircle(s.ReciprocalOrigin, kOriginMarkRadiusPx);

    canvas.SetFontFace(kIndexLabelFace);
    canvas.SetFontHeight(RoundHalfEven(static_cast<double>(kIndexLabelHeightWorld) * s.ViewScale));
    const int th = canvas.TextHeight("1");
    const float r = Single(static_cast<double>(kReciprocalDiscRadiusWorld) * s.ViewScale);
    const bool all = ctx.flags.PointMode == ReciprocalPointMode::All;
    std::string label;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& entry = Entry(s, i);
        if (!all && !IsEwaldMarkSet(entry.EwaldMark)) {
            continue;
        }
        const Point q = ReciprocalToPixels(s, IndicesOf(entry));
        canvas.SetPenStyle(PenStyle::Solid);
        canvas.SetPenWidth(kReciprocalPointPenPx);
        canvas.SetPenColour(s.ReciprocalPointColour);
        canvas.SetBrushColour(s.ReciprocalPointColour);
        ctx.draw.DrawCircle(q, r);
        if (s.ShowIndexLabels) {
            canvas.SetBrushStyle(BrushStyle::Clear);
            label = std::to_string(entry.H);
            label += ' ';
            label += std::to_string(entry.K);
            const int w = canvas.TextWidth(label);
            canvas.TextOut(RoundHalfEven(q.x) - w / 2, s.BaseY - (RoundHalfEven(static_cast<double>(q.y) + r) + th),
                           label);
        }
    }
    canvas.SetBrushStyle(BrushStyle::Clear);
}

void DrawEwaldMarks(PassContext& ctx)
{
    const SimState& s = ctx.s;
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenColour(kRed);
    ctx.canvas.SetPenWidth(RoundHalfEven(static_cast<double>(kEwaldRingPenWorld) * s.ViewScale));
    ctx.canvas.SetBrushStyle(BrushStyle::Clear);
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& entry = Entry(s, i);
        if (IsEwaldMarkSet(entry.EwaldMark)) {
            ctx.draw.DrawWorldCircle(entry.EwaldMark, kEwaldRingRadiusWorld);
        }
    }
}

void DrawReciprocalScatteringVector(PassContext& ctx)
{
    const SimState& s = ctx.s;
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenWidth(s.ScatteringVectorWidth);
    const double angle = ctx.g.ScatterAngle;
    const Point tip = MakePoint(Single(static_cast<double>(s.ReciprocalOrigin.x) + s.ScatterLength * std::cos(angle)),
                                Single(static_cast<double>(s.ReciprocalOrigin.y) + s.ScatterLength * std::sin(angle)));
    ctx.draw.DrawArrow(s.ReciprocalOrigin, tip);
    if (!ctx.flags.ThetaArcs) {
        return;
    }
    const Point corner = MakePoint(Single(static_cast<double>(s.ReciprocalOrigin.x) - ctx.g.TwoVF),
                                   s.ReciprocalOrigin.y);
    ctx.canvas.SetPenColour(kGreen);
    ctx.draw.DrawSegment(corner, tip);
    ctx.draw.DrawLabelledArc(corner, s.ReciprocalOrigin, tip,
                             Single(static_cast<double>(kThetaConstructionRadiusWorld) * s.ViewScale),
                             Single(static_cast<double>(kThetaConstructionLabelWorld) * s.ViewScale), "Theta");
}

void DrawReciprocalAxes(PassContext& ctx)
{
    const SimState& s = ctx.s;
    ctx.canvas.SetPenStyle(PenStyle::Solid);
    ctx.canvas.SetPenWidth(kReciprocalAxisWidthPx);
    const Point origin = ReciprocalToPixels(s, MakePoint(0, 0));
    ctx.canvas.SetPenColour(kGreen);
    ctx.draw.DrawSegment(origin, ReciprocalToPixels(s, MakePoint(1, 0)));
    ctx.canvas.SetPenColour(kBlue);
    ctx.draw.DrawSegment(origin, ReciprocalToPixels(s, MakePoint(0, 1)));
}

}  // namespace kb
