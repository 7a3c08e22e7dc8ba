#include <algorithm>
#include <cmath>

#include "layers.h"

namespace kb {
namespace {

constexpr float kPlotSpanWorld = 5715.0f;  // 180 degrees
constexpr float kPlotFullAngleDeg = 180.0f;
constexpr float kPlotZeroXWorld = 317.5f;
constexpr float kIntensityUnitWorld = 600.0f;
constexpr float kPlotBaselineWorld = 300.0f;  // above BaseY
constexpr float kLabelHeightWorld = 120.0f;
constexpr float kLabelZeroXWorld = 267.5f;
constexpr float kLabelMiddleXWorld = 3015.0f;
constexpr float kLabelEndXWorld = 5942.5f;
constexpr int kNewPeakPenPx = 3;
// The curve rises at most this share of the drawing area's height above its
// axis, or as high as the standard crystal's curve can, whichever is more:
// overlapping peaks of some crystals would otherwise run through the Ewald
// construction, and the standard's curve keeps its true height. After a full
// turn five of its peaks add up to 2.97 near 2Theta = 102 degrees, 1781
// world units, which is more than a fifth of the area on the default window.
constexpr double kCurveBandShare = 0.2;
constexpr double kStandardCurveTopWorld = 1800.0;

}  // namespace

void DrawDiffractogram(PassContext& ctx, const PeakRange& newPeak)
{
    const SimState& s = ctx.s;
    Canvas& canvas = ctx.canvas;
    canvas.SetPenWidth(1);
    canvas.SetPenStyle(PenStyle::Solid);
    canvas.SetPenColour(s.DiffractogramColour);
    const double scale = s.ViewScale;
    const float sx = Single(kPlotSpanWorld * scale / kPlotFullAngleDeg);
    const float x0 = Single(kPlotZeroXWorld * scale);
    float sy = Single(kIntensityUnitWorld * scale);
    const float highest = *std::max_element(s.Diffractogram.begin(), s.Diffractogram.end());
    const double band = std::max(kCurveBandShare * s.ViewHeight, kStandardCurveTopWorld * scale);
    if (static_cast<double>(sy) * highest > band) {
        sy = Single(band / highest);
    }
    const float y0 = Single(kPlotBaselineWorld * scale);
    const auto screenX = [&](double angle) { return RoundHalfEven(static_cast<double>(sx) * angle + x0); };
    const auto screenY = [&](double value) {
        return s.BaseY - RoundHalfEven(static_cast<double>(sy) * value + y0);
    };

    float a = 0.0f;
    for (int i = 0; i + 1 < kDiffractogramBins; ++i) {
        canvas.MoveTo(screenX(a), screenY(s.Diffractogram[static_cast<std::size_t>(i)]));
        canvas.LineTo(screenX(static_cast<double>(a) + 0.3),
                      screenY(s.Diffractogram[static_cast<std::size_t>(i + 1)]));
        a = Single(static_cast<double>(a) + 0.3);
    }

    if (!newPeak.IsNone() && newPeak.first >= 0 && ctx.g.HasReflex) {
        canvas.SetPenColour(kRed);
        canvas.SetPenWidth(kNewPeakPenPx);
        const double t = ctx.g.TwoThetaDeg;
        a = Single(newPeak.first * 0.3);
        for (int i = newPeak.first; i < newPeak.end; ++i) {
            const double b = static_cast<double>(a) + 0.3;
            canvas.MoveTo(screenX(a), screenY(PeakShape(a - t)));
            canvas.LineTo(screenX(b), screenY(PeakShape(b - t)));
            a = Single(b);
        }
    }

    canvas.SetFontHeight(RoundHalfEven(static_cast<double>(kLabelHeightWorld) * scale));
    canvas.SetBrushStyle(BrushStyle::Clear);
    const int labelY = s.BaseY - RoundHalfEven(static_cast<double>(kPlotBaselineWorld) * scale);
    canvas.TextOut(RoundHalfEven(static_cast<double>(kLabelZeroXWorld) * scale), labelY, "0°");
    canvas.TextOut(RoundHalfEven(static_cast<double>(kLabelMiddleXWorld) * scale), labelY, "2 Theta");
    canvas.TextOut(RoundHalfEven(static_cast<double>(kLabelEndXWorld) * scale), labelY, "180°");
}

}  // namespace kb
