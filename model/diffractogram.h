#pragma once

#include "sim_state.h"

namespace kb {

// Peak shape: normal distribution over 2Theta, sigma 0.7 degrees, unit area.
constexpr float kPeakHeight = 0.56991756f;    // 1 / (0.7 sqrt(2 pi))
constexpr float kPeakExponent = -1.0204082f;  // -1 / (2 * 0.7^2), per degree squared
constexpr float kBinWidthDeg = 0.3f;
constexpr float kPeakHalfSpanDeg = 2.1f;  // three sigma either side
constexpr int kPeakSamples = 15;

// Value of one peak at an offset of `offsetDeg` from its centre.
double PeakShape(double offsetDeg);

// Bins touched by the peak added in this pass; first == -1 means none.
struct PeakRange {
    int first = -1;
    int end = -1;  // one past the last bin

    bool IsNone() const { return first == -1 && end == -1; }
};

// Adds the active reflection's peak once, until the diffractogram is cleared.
// twoThetaDeg is the active reflex's 2Theta in degrees.
PeakRange AddActivePeak(SimState& s, float twoThetaDeg);

// Whether any reflection's peak is in the diffractogram since the last clear.
bool AnyPeakRecorded(const SimState& s);

// Empties the bins and forgets which reflections were recorded (no redraw).
void ClearDiffractogramData(SimState& s);

}  // namespace kb
