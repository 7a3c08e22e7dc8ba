#pragma once

#include <vector>

#include "sim_state.h"

namespace kb {

// A reflection (h k 0) of a crystal as a physicist computes it: in double
// precision from the values as typed (the shortest decimals that give the
// stored singles), not from the single-precision constants of the picture.
struct ExactReflex {
    double SinTheta = 0.0;          // lambda / (2 d/n); reachable up to 1
    double ThetaDeg = 0.0;          // Bragg angle, degrees, in (0, 90]
    double OmegaBraggDeg = 0.0;     // crystal angle of the Bragg position, degrees, in (0, 360]
    double FictiveSpacingPm = 0.0;  // d/n, the spacing of the indices (h k 0), pm
    double PlaneSpacingPm = 0.0;    // d, the spacing of the lattice planes (h/n k/n 0), pm
};

// The crystal as its values were typed (AsTyped of each), in double
// precision; each value takes a decimal round trip, so make it once per table.
struct TypedCrystal {
    double a = 0.0;         // pm
    double b = 0.0;         // pm
    double gammaRad = 0.0;  // radians
    double lambda = 0.0;    // pm
    double sinGamma = 0.0;  // of gammaRad
    double cosGamma = 0.0;
};
TypedCrystal Typed(const CrystalParams& crystal);

// Meaningful for (h, k) != (0, 0). A sin(theta) within kBraggLimitTolerance
// of 1 is taken as exactly 1: backscatter, theta 90 degrees.
ExactReflex ComputeExactReflex(const CrystalParams& crystal, int h, int k);

// How far sin(theta) may stray from 1 and still count as the limit: far below
// any difference of typed values, far above the rounding of double arithmetic.
constexpr double kBraggLimitTolerance = 1e-9;

// Builds ReflexTable, ReflexCount, Reflex10Index, Reflex01Index, HMax, KMax and
// SweepOrder from AStar, BStar, CosGamma, GammaStar and SinGammaStar. Entries
// that stay keep their PeakRecorded and EwaldMark; new ones start unrecorded.
void BuildReflexTable(SimState& s);

// The number of entries BuildReflexTable would make, without making them.
int CountReflexes(const SimState& s);

// A reflection BuildReflexTable would enter, with its 2Theta as
// ComputeExactReflex gives it; without the table's single-precision work,
// for measuring many crystals.
struct ReachableReflex {
    int H = 0;
    int K = 0;
    double TwoThetaDeg = 0.0;  // degrees, in (0, 180]
};

// The entries BuildReflexTable would make for s.Crystal and the constants
// derived from it, in the table's order. The second form takes the typed
// values from a caller that knows them, such as a generator of crystals on
// a decimal grid, and skips the decimal round trips.
std::vector<ReachableReflex> ReachableReflexes(const SimState& s);
std::vector<ReachableReflex> ReachableReflexes(const SimState& s, const TypedCrystal& typed);

void BuildSweepOrder(SimState& s);

}  // namespace kb
