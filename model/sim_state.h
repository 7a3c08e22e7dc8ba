#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "crystal.h"
#include "types.h"

namespace kb {

constexpr int kDiffractogramBins = 602;
constexpr int kIntensityRampSize = 256;

// Constants of InitSimulation. Angles in degrees are turned into radians
// with the single-precision DegToRad, exactly as the simulation stores them.
constexpr float kDegToRad = 0.017453292f;
constexpr float kRadToDeg = 57.29578f;
constexpr int kDiffractedBeamWidthPx = 2;
constexpr float kDiffractedBeamLengthWorld = 2100.0f;
constexpr float kLatticePointRadiusWorld = 50.0f;
constexpr int kScatteringVectorWidthPx = 2;
constexpr std::uint32_t kInitialTimerIntervalMs = 70;
constexpr Point kUnsetEwaldMark{-999.0f, -999.0f};

// One reflection (h k 0) that the crystal can bring into Bragg position.
struct Reflex {
    int H = 0;       // Miller index h, along a*
    int K = 0;       // Miller index k, along b*
    int Order = 0;   // diffraction order n = gcd(|h|, |k|), at least 1
    int PlaneH = 0;  // h / n
    int PlaneK = 0;  // k / n
    float Theta = 0.0f;       // Bragg angle, rad, in (0, pi/2]; pi/2 only at the limit
    float OmegaBragg = 0.0f;  // crystal angle of the Bragg position, rad, in (0, 2 pi]
    bool PeakRecorded = false;  // peak added to the diffractogram since the last clear
    Point EwaldMark{};          // world position of the reciprocal point when last active;
                                // unset is (-999, -999), set when x > 0

    friend bool operator==(const Reflex&, const Reflex&) = default;
};

// The one set of variables the whole simulation works on. Every real value
// is held in single precision; angles in radians, crystal lengths in pm,
// scene lengths in world units, pen widths in pixels.
struct SimState {
    // Angle conversion.
    float DegToRad = 0.0f;
    float RadToDeg = 0.0f;

    // Crystal and beam: the choice, and the values the simulation derives from it.
    CrystalParams Crystal = kStandardCrystal;
    float LatticeA = 0.0f;  // pm
    float LatticeB = 0.0f;  // pm
    float Gamma = 0.0f;     // rad, angle between a and b
    float Lambda = 0.0f;    // pm
    float SinGamma = 0.0f;
    float CosGamma = 0.0f;
    float GammaStar = 0.0f;  // rad, angle between a* and b*
    float SinGammaStar = 0.0f;
    float CosGammaStar = 0.0f;
    float AStar = 0.0f;  // |a*| times Lambda, no unit
    float BStar = 0.0f;  // |b*| times Lambda, no unit

    // Extent of the drawn direct lattice (lattice indices along a and b), fitted
    // to the crystal at the start of every scene pass: -4..4 and -3..3 for the
    // standard crystal.
    int LatticeIMin = 0;
    int LatticeIMax = 0;
    int LatticeJMin = 0;
    int LatticeJMax = 0;

    // Pens and colours.
    Colour PrimaryBeamColour = 0;
    Colour DiffractedBeamColour = 0;  // faded by the rotation
    int DiffractedBeamWidth = 0;      // px
    float DiffractedBeamLength = 0.0f;  // world units
    Colour LatticePointColour = 0;
    float LatticePointRadius = 0.0f;  // world units
    Colour EwaldCircleColour = 0;
    Colour ReciprocalPointColour = 0;
    Colour ScatteringVectorColour = 0;
    int ScatteringVectorWidth = 0;  // px
    Colour DiffractogramColour = 0;

    // Fade of the diffracted beam: dark red at index 0, red at 127/128,
    // almost white at 255.
    std::array<Colour, kIntensityRampSize> IntensityRamp{};

    // Rotation state.
    float Omega = 0.0f;     // rad, crystal angle
    int ActiveReflex = -1;  // table index of the reflection in Bragg position, or -1
    int SweepPos = 0;       // position in SweepOrder of NextReflex
    int NextReflex = 0;     // table index whose window the rotation is in or heading for; -1 none
    float WindowStart = 0.0f;  // rad
    float WindowEnd = 0.0f;    // rad
    float CurrentBragg = 0.0f;  // rad
    std::uint32_t TimerInterval = 0;  // ms

    // Reflection table: ReflexCount entries, at most kMaxReflexCount.
    std::vector<Reflex> ReflexTable;
    int ReflexCount = 0;
    std::vector<int> SweepOrder;  // table indices by rising OmegaBragg
    int Reflex10Index = 0;        // table index of (1 0 0); -1 when it cannot reach Bragg position
    int Reflex01Index = 0;        // table index of (0 1 0); -1 likewise
    int HMax = 0;  // bounds of the enumeration of (h, k)
    int KMax = 0;

    // Intensity over 2Theta; bin i at 0.3 * i degrees.
    std::array<float, kDiffractogramBins> Diffractogram{};

    // View geometry of the latest scene pass.
    float ViewWidth = 0.0f;   // px
    float ViewHeight = 0.0f;  // px
    float ViewScale = 0.0f;   // px per world unit
    float InverseScale = 0.0f;
    int BaseY = 0;      // screen row of world y = 0
    float VF = 0.0f;    // Ewald circle radius, px
    Point CrystalCentre{};     // world units
    Point CrystalPixel{};      // px
    Point ReciprocalOrigin{};  // px
    float SinOmega = 0.0f;
    float CosOmega = 0.0f;
    float ScatterLength = 0.0f;  // px

    // Display flags set by the feature codes.
    bool ShowReadouts = false;
    bool ShowIndexLabels = false;

    // Caption of the running experiment.
    std::string ExperimentTitle;

    friend bool operator==(const SimState&, const SimState&) = default;
};

// Steps 1 to 9 of the initialisation: constants, ramp, pens, reset of the
// diffractogram and marks, derived quantities and the reflection table, for
// the crystal in s.Crystal (the standard crystal takes the place of one that
// CheckCrystal refuses).
void InitConstantsAndTable(SimState& s);

// LatticeA, LatticeB, Gamma, Lambda and the values derived from them, from
// s.Crystal.
void SetCrystalConstants(SimState& s);

// Step 11 of the initialisation: the crystal back at 0 with no reflection
// active, the sweep heading for its first reflection.
void ResetRotationForInit(SimState& s);

// Unsets the EwaldMark of every valid table entry.
void UnsetAllEwaldMarks(SimState& s);

bool IsEwaldMarkSet(const Point& mark);

}  // namespace kb
