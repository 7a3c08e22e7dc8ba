#include "sim_state.h"

#include <cmath>
#include <numbers>

#include "crystal_choice.h"
#include "reflex_table.h"
#include "rotation.h"

namespace kb {

void UnsetAllEwaldMarks(SimState& s)
{
    for (int i = 0; i < s.ReflexCount; ++i) {
        s.ReflexTable[static_cast<std::size_t>(i)].EwaldMark = kUnsetEwaldMark;
    }
}

bool IsEwaldMarkSet(const Point& mark)
{
    return mark.x > 0.0f;
}

void InitConstantsAndTable(SimState& s)
{
    s.DegToRad = kDegToRad;
    s.RadToDeg = kRadToDeg;

    for (int i = 0; i < kIntensityRampSize; ++i) {
        s.IntensityRamp[static_cast<std::size_t>(i)] =
            i < 128 ? MakeRgb(128 + i, 0, 0) : MakeRgb(255, 2 * (i - 128), 2 * (i - 128));
    }

    s.PrimaryBeamColour = kDarkRed;
    s.DiffractedBeamLength = kDiffractedBeamLengthWorld;
    s.DiffractedBeamWidth = kDiffractedBeamWidthPx;
    s.DiffractedBeamColour = kDarkRed;
    s.LatticePointColour = kBlue;
    s.LatticePointRadius = kLatticePointRadiusWorld;

    s.TimerInterval = kInitialTimerIntervalMs;
    s.DiffractogramColour = kBlack;

    for (Reflex& r : s.ReflexTable) {
        r.PeakRecorded = false;
    }
    s.Diffractogram.fill(0.0f);

    s.EwaldCircleColour = kRed;
    s.ReciprocalPointColour = kRed;
    s.ScatteringVectorColour = kGreen;
    s.ScatteringVectorWidth = kScatteringVectorWidthPx;

    if (!CheckCrystal(s.Crystal).accepted) {
        s.Crystal = kStandardCrystal;
    }
    SetCrystalConstants(s);
    BuildReflexTable(s);
    UnsetAllEwaldMarks(s);
}

void SetCrystalConstants(SimState& s)
{
    s.LatticeA = s.Crystal.LatticeA;
    s.LatticeB = s.Crystal.LatticeB;
    s.Gamma = Single(static_cast<double>(kDegToRad) * s.Crystal.GammaDeg);
    s.Lambda = s.Crystal.Lambda;
    s.CosGamma = Single(std::cos(static_cast<double>(s.Gamma)));
    s.SinGamma = Single(std::sin(static_cast<double>(s.Gamma)));
    s.GammaStar = Single(std::numbers::pi - s.Gamma);
    s.CosGammaStar = Single(std::cos(static_cast<double>(s.GammaStar)));
    s.SinGammaStar = Single(std::sin(static_cast<double>(s.GammaStar)));
    s.AStar = Single(static_cast<double>(s.Lambda) / (static_cast<double>(s.LatticeA) * s.SinGammaStar));
    s.BStar = Single(static_cast<double>(s.Lambda) / (static_cast<double>(s.LatticeB) * s.SinGammaStar));
}

void ResetRotationForInit(SimState& s)
{
    s.ActiveReflex = -1;
    s.Omega = 0.0f;
    AlignSweepWithCrystal(s);
}

}  // namespace kb
