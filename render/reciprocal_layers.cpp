#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include "model/catalogue.h"

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
// Near backscatter the tip of the scattering vector comes close to the Ewald
// corner (at Theta = 90 degrees onto it), and a ray through the rounded tip
// loses its direction; closer than this the Theta arc ends on its true ray.
constexpr double kThetaRayMinWorld = 100.0;
constexpr int kReciprocalAxisWidthPx = 2;
constexpr const char* kIndexLabelFace = "Arial";

const Reflex& Entry(const SimState& s, int i)
{
    return s.ReflexTable[static_cast<std::size_t>(i)];
}

Point IndicesOf(const Reflex& r)
{
    return MakePoint(static_cast<float>(r.H), static_cast<float>(r.K));
}

void SetLabel(std::string& label, int h, int k)
{
    label = std::to_string(h);
    label += ' ';
    label += std::to_string(k);
}

// Whether neighbouring reciprocal points lie closer together than a label is
// wide, in the label font already set. The closest neighbours are as far
// apart as the shortest vector of the table, 2 sin(Theta) VF pixels; the
// widest label carries the largest |h| and |k|, both negative.
// Where a label's text goes, screen px.
struct LabelBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool Overlaps(const LabelBox& o) const
    {
        return left < o.left + o.width && o.left < left + width && top < o.top + o.height &&
               o.top < top + height;
    }
};

bool LabelsCrowd(const SimState& s, Canvas& canvas)
{
    if (s.ReflexCount == 0) {
        return false;
    }
    float smallestTheta = Entry(s, 0).Theta;
    int widestH = 0;
    int widestK = 0;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& entry = Entry(s, i);
        smallestTheta = std::min(smallestTheta, entry.Theta);
        widestH = std::max(widestH, std::abs(entry.H));
        widestK = std::max(widestK, std::abs(entry.K));
    }
    std::string widest;
    SetLabel(widest, -widestH, -widestK);
    const double spacingPx = 2.0 * std::sin(static_cast<double>(smallestTheta)) * s.VF;
    return spacingPx < canvas.TextWidth(widest);
}

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
    // A crowded lattice labels only what the lesson points at: the reflection
    // in Bragg position and those already recorded in the diffractogram, and
    // of these only the ones whose label stays clear of the labels placed
    // before it, the one in Bragg position first: after a full turn every
    // reflection is recorded.
    const bool crowded = s.ShowIndexLabels && LabelsCrowd(s, canvas);
    std::string label;
    std::vector<LabelBox> placed;
    const auto boxOf = [&](const Reflex& entry, const Point& q) {
        SetLabel(label, entry.H, entry.K);
        const int w = canvas.TextWidth(label);
        return LabelBox{RoundHalfEven(q.x) - w / 2,
                        s.BaseY - (RoundHalfEven(static_cast<double>(q.y) + r) + th), w, th};
    };
    const bool activeShown = s.ActiveReflex >= 0 && s.ActiveReflex < s.ReflexCount &&
                             (all || IsEwaldMarkSet(Entry(s, s.ActiveReflex).EwaldMark));
    if (crowded && activeShown) {
        const Reflex& active = Entry(s, s.ActiveReflex);
        placed.push_back(boxOf(active, ReciprocalToPixels(s, IndicesOf(active))));
    }
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
        if (!s.ShowIndexLabels) {
            continue;
        }
        const LabelBox box = boxOf(entry, q);
        if (crowded && i != s.ActiveReflex) {
            const bool clear = std::none_of(placed.begin(), placed.end(),
                                            [&](const LabelBox& b) { return b.Overlaps(box); });
            if (!entry.PeakRecorded || !clear) {
                continue;
            }
            placed.push_back(box);
        }
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.TextOut(box.left, box.top, label);
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
    const Point tip =
        MakePoint(Single(static_cast<double>(s.ReciprocalOrigin.x) + s.ScatterLength * std::cos(angle)),
                  Single(static_cast<double>(s.ReciprocalOrigin.y) + s.ScatterLength * std::sin(angle)));
    ctx.draw.DrawArrow(s.ReciprocalOrigin, tip);
    if (!ctx.flags.ThetaArcs) {
        return;
    }
    const Point corner =
        MakePoint(Single(static_cast<double>(s.ReciprocalOrigin.x) - ctx.g.TwoVF), s.ReciprocalOrigin.y);
    ctx.canvas.SetPenColour(kGreen);
    ctx.draw.DrawSegment(corner, tip);
    const float radius = Single(static_cast<double>(kThetaConstructionRadiusWorld) * s.ViewScale);
    Point rayEnd = tip;
    const double tipDistance =
        std::hypot(static_cast<double>(tip.x) - corner.x, static_cast<double>(tip.y) - corner.y);
    if (tipDistance < kThetaRayMinWorld * s.ViewScale) {
        // The chord from the corner to the tip runs at the angle Theta.
        rayEnd = MakePoint(Single(static_cast<double>(corner.x) + radius * std::cos(ctx.g.Theta)),
                           Single(static_cast<double>(corner.y) + radius * std::sin(ctx.g.Theta)));
    }
    ctx.draw.DrawLabelledArc(corner, s.ReciprocalOrigin, rayEnd, radius,
                             Single(static_cast<double>(kThetaConstructionLabelWorld) * s.ViewScale),
                             Tr("core", "Theta"));
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
