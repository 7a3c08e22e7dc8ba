#pragma once

#include "model/diffractogram.h"
#include "pass_geometry.h"
#include "primitives.h"
#include "scene.h"

namespace kb {

// What every layer of one pass works with.
struct PassContext {
    SimState& s;
    const PassGeometry& g;
    const DisplayFlags& flags;
    Canvas& canvas;
    Primitives& draw;
};

void DrawPrimaryBeam(PassContext& ctx);
void DrawDiffractedBeam(PassContext& ctx);
void DrawOmegaArc(PassContext& ctx);
void DrawLatticePoints(PassContext& ctx);
void DrawCrystalMark(PassContext& ctx);
// A block of fixed size turning with Omega: shows the rotation, not the cell.
void DrawNeutralCrystalMark(PassContext& ctx);
void DrawLatticePlanes(PassContext& ctx);
void DrawDirectAxes(PassContext& ctx);
void DrawCrystalScatteringVector(PassContext& ctx);

void DrawEwaldCircle(PassContext& ctx);
void RecordEwaldMark(PassContext& ctx);
void DrawReciprocalPoints(PassContext& ctx);
void DrawEwaldMarks(PassContext& ctx);
void DrawReciprocalScatteringVector(PassContext& ctx);
void DrawReciprocalAxes(PassContext& ctx);

// The curve with its labels; with `lab`, the scale, the cursor and the marks of a guess.
void DrawDiffractogram(PassContext& ctx, const PeakRange& newPeak, const LabOverlay& lab);

}  // namespace kb
