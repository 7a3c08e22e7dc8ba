#pragma once

#include "model/sim_state.h"

namespace kb {

constexpr float kWorldWidth = 6350.0f;        // world units across the drawing area
constexpr int kBaseYMarginPx = 21;            // world y = 0 lies this far above the bottom
constexpr float kEwaldRadiusWorld = 1100.0f;  // VF in world units
constexpr Point kCrystalCentre{2267.8572f, 2727.2727f};  // 6350 / 2.8 and 30000 / 11
constexpr float kPrimaryEndX = 4500.0f;
constexpr float kOmegaRayLength = 2000.0f;
constexpr float kThetaRayLength = 1800.0f;
constexpr double kRadToDegExact = 57.29577951308232;

// Everything a scene pass derives from the window size, Omega and the active
// reflex before it draws. The values the primitives read also go to SimState.
struct PassGeometry {
    Point PrimaryStart{};   // world
    Point PrimaryEnd{};     // world
    Point BeamAxisPoint{};  // beam frame
    float TwoVF = 0.0f;     // px
    Point OmegaPoint{};     // beam frame

    bool HasReflex = false;
    float H = 0, K = 0, PlaneH = 0, PlaneK = 0, Order = 0;  // active reflex, as floats
    float Theta = 0.0f;
    float TwoTheta = 0.0f;
    float TwoThetaDeg = 0.0f;
    float ScatterAngle = 0.0f;
    float SinTheta = 0.0f, CosTheta = 0.0f, SinTwoTheta = 0.0f, CosTwoTheta = 0.0f;
    float FictiveSpacing = 0.0f;  // pm, d of the indices (h k 0)
    float PlaneSpacing = 0.0f;    // pm, d of the real planes (h/n k/n 0)
    Point ThetaPoint{};      // beam frame
    Point SourcePixel{};     // px
    Point BackThetaPixel{};  // px
};

// How the direct lattice of a crystal is drawn: lattice indices -IMax..IMax
// along a and -JMax..JMax along b, Scale world units per pm.
struct LatticeFit {
    int IMax = 0;
    int JMax = 0;
    float Scale = 0.0f;
};

// Cells of about the standard's size, as many as fill its extent, then scaled
// so that the turning crystal sweeps the same circle as the standard crystal:
// any crystal then fills the same part of the view. The standard crystal
// itself gets -4..4, -3..3 and 1.
LatticeFit FitDirectLattice(const CrystalParams& crystal);

// Frame set-up at the start of a pass, for a drawing area of the given size.
PassGeometry ComputePassGeometry(SimState& s, int viewWidthPx, int viewHeightPx);

// Frame transforms; each reads the view values of the current pass.
Point ToPixels(const SimState& s, const Point& world);
Point BeamToPixels(const SimState& s, const Point& beam);
Point LatticeToPixels(const SimState& s, const Point& lattice);
Point ReciprocalToPixels(const SimState& s, const Point& reciprocal);
Point ReciprocalToWorld(const SimState& s, const Point& reciprocal);

}  // namespace kb
