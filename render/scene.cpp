#include "scene.h"

#include "layers.h"
#include "readouts.h"

namespace kb {
namespace {

constexpr float kOmegaArcThresholdRad = 0.04f;  // about 2.3 degrees; smaller arcs are left out

}  // namespace

Readouts DrawScene(SimState& s, const SceneInput& input, Canvas& canvas)
{
    const PassGeometry g = ComputePassGeometry(s, input.viewWidthPx, input.viewHeightPx);
    PeakRange newPeak;

    canvas.SetBrushColour(kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.FillRect(0, 0, RoundHalfEven(s.ViewWidth), RoundHalfEven(s.ViewHeight));
    canvas.SetBrushStyle(BrushStyle::Clear);

    const DisplayFlags& flags = input.flags;
    Primitives draw(s, canvas);
    PassContext ctx{s, g, flags, canvas, draw};

    if (flags.PrimaryBeam) {
        DrawPrimaryBeam(ctx);
    }
    if (g.HasReflex && flags.Diffracted) {
        DrawDiffractedBeam(ctx);
    }
    if (s.Omega > kOmegaArcThresholdRad && flags.OmegaArc) {
        DrawOmegaArc(ctx);
    }
    if (flags.LatticePoints) {
        DrawLatticePoints(ctx);
    }
    DrawCrystalMark(ctx);
    if (g.HasReflex && flags.Netzebenen) {
        DrawLatticePlanes(ctx);
    }
    if (flags.DirectAxes) {
        DrawDirectAxes(ctx);
    }
    if (flags.EwaldCircle) {
        DrawEwaldCircle(ctx);
    }
    if (g.HasReflex) {
        RecordEwaldMark(ctx);
    }
    if (flags.PointMode != ReciprocalPointMode::None) {
        DrawReciprocalPoints(ctx);
    }
    if (flags.EwaldMarks) {
        DrawEwaldMarks(ctx);
    }
    if (g.HasReflex) {
        canvas.SetPenColour(s.ScatteringVectorColour);
        if (flags.CrystalVector) {
            DrawCrystalScatteringVector(ctx);
        }
        if (flags.ReciprocalVector) {
            DrawReciprocalScatteringVector(ctx);
        }
    }
    if (flags.ReciprocalAxes) {
        DrawReciprocalAxes(ctx);
    }
    if (g.HasReflex) {
        newPeak = AddActivePeak(s, g.TwoThetaDeg);
    }
    if (flags.DiffractogramShown) {
        DrawDiffractogram(ctx, newPeak);
    }
    canvas.Refresh();
    return ComputeReadouts(s, g, input.decimalSeparator, input.omegaBoxTop);
}

}  // namespace kb
