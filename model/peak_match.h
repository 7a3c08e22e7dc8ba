#pragma once

#include <span>
#include <vector>

#include "crystal.h"
#include "sim_state.h"

namespace kb {

// A predicted peak explains a measured one within one diffractogram bin.
inline constexpr double kPeakMatchToleranceDeg = 0.3;

// The peaks recorded in the diffractogram so far: distinct 2Theta values in
// degrees, ascending, computed from the crystal in use; reflections closer
// than 1e-6 degrees are one peak.
std::vector<double> MeasuredPeaks(const SimState& s);
// Whether every reflection of the crystal has been recorded since the last
// clear: the crystal has been turned once all round.
bool MeasurementComplete(const SimState& s);

// The verdict on a guessed cell against the measured peaks. Cells that
// describe the same lattice predict the same peaks and so get the same
// verdict.
struct GuessVerdict {
    int measured = 0;   // distinct measured peaks
    int explained = 0;  // of those, matched by a predicted peak
    int missing = 0;  // predicted peaks up to the highest measured 2Theta (+ tolerance) with no measured peak
    bool complete = false;  // the measurement covers a full turn
    bool solved = false;    // complete, every peak explained, none missing
};
// `measuredDeg` as MeasuredPeaks gives them; the guess with the lab's
// wavelength. A guess outside the accepted ranges of CheckCrystal predicts
// nothing (check it first to say why); one with more reflections than the
// picture takes is compared all the same.
GuessVerdict CompareGuess(std::span<const double> measuredDeg, bool complete, const CrystalParams& guess);

}  // namespace kb
