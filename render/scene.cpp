#include "scene.h"

#include <vector>

#include "layers.h"
#include "readouts.h"

namespace kb {
namespace {

constexpr float kOmegaArcThresholdRad = 0.04f;  // about 2.3 degrees; smaller arcs are left out

// Hands every operation on to `target`, moved right by `dx` pixels: the scene
// of a drawing area wider than it can fill, centred.
class ShiftedCanvas final : public Canvas {
public:
    ShiftedCanvas(Canvas& target, int dx) : target_(target), dx_(dx) {}

    void SetPenColour(Colour colour) override { target_.SetPenColour(colour); }
    void SetPenWidth(int width) override { target_.SetPenWidth(width); }
    void SetPenStyle(PenStyle style) override { target_.SetPenStyle(style); }
    void SetBrushColour(Colour colour) override { target_.SetBrushColour(colour); }
    void SetBrushStyle(BrushStyle style) override { target_.SetBrushStyle(style); }
    void SetFontFace(std::string_view face) override { target_.SetFontFace(face); }
    void SetFontHeight(int pixels) override { target_.SetFontHeight(pixels); }
    void SetFontSize(int points) override { target_.SetFontSize(points); }

    void MoveTo(int x, int y) override { target_.MoveTo(x + dx_, y); }
    void LineTo(int x, int y) override { target_.LineTo(x + dx_, y); }
    void Ellipse(int x1, int y1, int x2, int y2) override { target_.Ellipse(x1 + dx_, y1, x2 + dx_, y2); }
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override
    {
        target_.Arc(x1 + dx_, y1, x2 + dx_, y2, x3 + dx_, y3, x4 + dx_, y4);
    }
    void Polygon(std::span<const ScreenPoint> points) override
    {
        shifted_.assign(points.begin(), points.end());
        for (ScreenPoint& p : shifted_) {
            p.x += dx_;
        }
        target_.Polygon(shifted_);
    }
    void FillRect(int x1, int y1, int x2, int y2) override { target_.FillRect(x1 + dx_, y1, x2 + dx_, y2); }
    void TextOut(int x, int y, std::string_view text) override { target_.TextOut(x + dx_, y, text); }
    int TextWidth(std::string_view text) override { return target_.TextWidth(text); }
    int TextHeight(std::string_view text) override { return target_.TextHeight(text); }
    void Refresh() override { target_.Refresh(); }

    const Pen& CurrentPen() const override { return target_.CurrentPen(); }
    const Brush& CurrentBrush() const override { return target_.CurrentBrush(); }
    const Font& CurrentFont() const override { return target_.CurrentFont(); }

private:
    Canvas& target_;
    int dx_;
    std::vector<ScreenPoint> shifted_;
};

}  // namespace

Readouts DrawScene(SimState& s, const SceneInput& input, Canvas& areaCanvas)
{
    const PassGeometry g = ComputePassGeometry(s, input.viewWidthPx, input.viewHeightPx);
    PeakRange newPeak;

    areaCanvas.SetBrushColour(kWhite);
    areaCanvas.SetBrushStyle(BrushStyle::Solid);
    areaCanvas.FillRect(0, 0, RoundHalfEven(s.ViewWidth), RoundHalfEven(s.ViewHeight));
    areaCanvas.SetBrushStyle(BrushStyle::Clear);
    ShiftedCanvas shifted(areaCanvas, g.SceneLeftPx);
    Canvas& canvas = g.SceneLeftPx > 0 ? static_cast<Canvas&>(shifted) : areaCanvas;

    // An unknown crystal shows nothing of its lattice, whatever the boxes say.
    DisplayFlags flags = input.flags;
    if (input.lab.unknownCrystal) {
        flags.Netzebenen = false;
        flags.ReciprocalVector = false;
        flags.PointMode = ReciprocalPointMode::None;
        flags.LatticePoints = false;
        flags.EwaldMarks = false;
        flags.DirectAxes = false;
        flags.CrystalVector = false;
        flags.ReciprocalAxes = false;
    }
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
    if (input.lab.unknownCrystal) {
        DrawNeutralCrystalMark(ctx);
    } else {
        DrawCrystalMark(ctx);
    }
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
        DrawDiffractogram(ctx, newPeak, input.lab);
    }
    canvas.Refresh();
    if (input.lab.unknownCrystal) {
        return ComputeLabReadouts(s, g, input.decimalSeparator, input.omegaBoxTop, input.lab.listLines);
    }
    return ComputeReadouts(s, g, input.decimalSeparator, input.omegaBoxTop);
}

}  // namespace kb
