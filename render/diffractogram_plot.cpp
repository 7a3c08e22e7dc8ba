#include <algorithm>
#include <cmath>
#include <string>
#include "model/catalogue.h"

#include "layers.h"
#include "pass_geometry.h"
#include "readouts.h"

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

// The measuring scale: ticks rise from the axis into the plot, so that they
// keep clear of the labels that hang below it.
constexpr int kSmallTickStepDeg = 10;
constexpr int kLabelledTickStepDeg = 30;
constexpr float kSmallTickWorld = 50.0f;
constexpr float kLabelledTickWorld = 110.0f;
// With the scale on, "2 Theta" moves between the labels of 90 and 120 degrees.
constexpr double kScaleCaptionDeg = 105.0;
// The guessed cell's peaks: short marks below the labels, in a colour of their own.
constexpr Colour kPredictedColour = 0x8000C0;
constexpr int kPredictedPenPx = 2;
constexpr float kPredictedTopWorld = 170.0f;  // above BaseY
constexpr float kPredictedBottomWorld = 30.0f;
constexpr Colour kCursorColour = kBlue;
constexpr int kCursorTextGapPx = 4;

double BandHeight(const SimState& s)
{
    return std::max(kCurveBandShare * s.ViewHeight, kStandardCurveTopWorld * s.ViewScale);
}

// Scale, predicted marks and cursor, leaving pen and font as it found them, so
// that the passes after the lab draw exactly as before it.
void DrawMeasureOverlay(PassContext& ctx, const LabOverlay& lab, float sx, float x0)
{
    const SimState& s = ctx.s;
    Canvas& canvas = ctx.canvas;
    const Pen pen = canvas.CurrentPen();
    const int fontHeight = canvas.CurrentFont().height;
    const double scale = s.ViewScale;
    const auto screenX = [&](double angle) { return RoundHalfEven(static_cast<double>(sx) * angle + x0); };
    const auto world = [&](float w) { return RoundHalfEven(static_cast<double>(w) * scale); };
    const int axisY = s.BaseY - world(kPlotBaselineWorld);

    canvas.SetPenStyle(PenStyle::Solid);
    canvas.SetPenWidth(1);
    if (lab.scale) {
        canvas.SetPenColour(s.DiffractogramColour);
        for (int deg = kSmallTickStepDeg; deg < static_cast<int>(kPlotFullAngleDeg);
             deg += kSmallTickStepDeg) {
            const bool labelled = deg % kLabelledTickStepDeg == 0;
            const int x = screenX(deg);
            canvas.MoveTo(x, axisY);
            canvas.LineTo(x, axisY - world(labelled ? kLabelledTickWorld : kSmallTickWorld));
            if (labelled) {
                const std::string label = std::to_string(deg) + "°";
                canvas.TextOut(x - canvas.TextWidth(label) / 2, axisY, label);
            }
        }
    }
    if (!lab.predictedDeg.empty()) {
        canvas.SetPenColour(kPredictedColour);
        canvas.SetPenWidth(kPredictedPenPx);
        for (const double deg : lab.predictedDeg) {
            if (deg < 0.0 || deg > kPlotFullAngleDeg) {
                continue;
            }
            canvas.MoveTo(screenX(deg), s.BaseY - world(kPredictedTopWorld));
            canvas.LineTo(screenX(deg), s.BaseY - world(kPredictedBottomWorld));
        }
    }
    if (lab.scale && lab.cursorDeg) {
        const int x = screenX(*lab.cursorDeg);
        const int top = axisY - RoundHalfEven(BandHeight(s));
        canvas.SetPenColour(kCursorColour);
        canvas.SetPenWidth(1);
        canvas.MoveTo(x, axisY);
        canvas.LineTo(x, top);
        // Right of the line, or left of it where the text would leave the plot.
        const int width = canvas.TextWidth(lab.cursorReading);
        const int right = screenX(kPlotFullAngleDeg);
        const int textX =
            x + kCursorTextGapPx + width <= right ? x + kCursorTextGapPx : x - kCursorTextGapPx - width;
        canvas.TextOut(textX, top, lab.cursorReading);
    }
    canvas.SetPenColour(pen.colour);
    canvas.SetPenWidth(pen.width);
    canvas.SetPenStyle(pen.style);
    canvas.SetFontHeight(fontHeight);
}

}  // namespace

PlotFrame DiffractogramFrame(const SimState& s)
{
    const int viewWidth = RoundHalfEven(s.ViewWidth);
    const int sceneLeft = (viewWidth - SceneWidthPx(viewWidth, RoundHalfEven(s.ViewHeight))) / 2;
    const double scale = s.ViewScale;
    PlotFrame frame;
    frame.pxPerDeg = Single(kPlotSpanWorld * scale / kPlotFullAngleDeg);
    frame.zeroX = static_cast<double>(Single(kPlotZeroXWorld * scale)) + sceneLeft;
    frame.axisY = s.BaseY - RoundHalfEven(static_cast<double>(kPlotBaselineWorld) * scale);
    frame.bandTop = frame.axisY - RoundHalfEven(BandHeight(s));
    return frame;
}

void DrawDiffractogram(PassContext& ctx, const PeakRange& newPeak, const LabOverlay& lab)
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
    const double band = BandHeight(s);
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
    if (lab.scale) {
        const std::string caption = Tr("core", "2 Theta");
        canvas.TextOut(screenX(kScaleCaptionDeg) - canvas.TextWidth(caption) / 2, labelY, caption);
    } else {
        canvas.TextOut(RoundHalfEven(static_cast<double>(kLabelMiddleXWorld) * scale), labelY,
                       Tr("core", "2 Theta"));
    }
    canvas.TextOut(RoundHalfEven(static_cast<double>(kLabelEndXWorld) * scale), labelY, "180°");
    if (lab.scale || !lab.predictedDeg.empty()) {
        DrawMeasureOverlay(ctx, lab, sx, x0);
    }
}

}  // namespace kb
