#pragma once

#include "model/sim_state.h"

namespace kb {

constexpr float kWorldWidth = 6350.0f;                   // world units across the drawing area
constexpr int kBaseYMarginPx = 21;                       // world y = 0 lies this far above the bottom
constexpr float kEwaldRadiusWorld = 1100.0f;             // VF in world units
constexpr Point kCrystalCentre{2267.8572f, 2727.2727f};  // 6350 / 2.8 and 30000 / 11
constexpr float kPrimaryEndX = 4500.0f;
constexpr float kOmegaRayLength = 2000.0f;
constexpr float kThetaRayLength = 1800.0f;
constexpr double kRadToDegExact = 57.29577951308232;
// How far above world y = 0 the scene reaches: a reciprocal point at the top
// of the limiting circle (2 VF above the crystal centre, 4927), its disc (40)
// and its index label (120), with a little room for the rounding of the text.
constexpr float kSceneTopWorld = 5100.0f;

// Everything a scene pass derives from the window size, Omega and the active
// reflex before it draws. The values the primitives read also go to SimState.
struct PassGeometry {
    // Where the scene's left edge lies on the drawing area, px: above 0 when the
    // area is wider than the scene can fill at its height, so that the scene is
    // laid out for the width the height allows and centred.
    int SceneLeftPx = 0;
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
    Point ThetaPoint{};           // beam frame
    Point SourcePixel{};          // px
    Point BackThetaPixel{};       // px
};

// Which lattice points of a crystal are drawn: indices -IMax..IMax along a
// and -JMax..JMax along b.
struct LatticeFit {
    int IMax = 0;
    int JMax = 0;
};

// Every crystal is drawn at the picture's scale; its block of points covers
// about the area of the standard crystal's block, in about its proportions,
// and turns within the circle the standard block sweeps, with at least two
// cells each way. The standard crystal itself gets -4..4 and -3..3.
LatticeFit FitDirectLattice(const CrystalParams& crystal);

// The width the scene is laid out for on a drawing area of the given size:
// the area's width, or less where the height does not hold the scene.
int SceneWidthPx(int viewWidthPx, int viewHeightPx);

// Frame set-up at the start of a pass, for a drawing area of the given size.
PassGeometry ComputePassGeometry(SimState& s, int viewWidthPx, int viewHeightPx);

// Frame transforms; each reads the view values of the current pass.
Point ToPixels(const SimState& s, const Point& world);
Point BeamToPixels(const SimState& s, const Point& beam);
Point LatticeToPixels(const SimState& s, const Point& lattice);
Point ReciprocalToPixels(const SimState& s, const Point& reciprocal);
Point ReciprocalToWorld(const SimState& s, const Point& reciprocal);

}  // namespace kb
