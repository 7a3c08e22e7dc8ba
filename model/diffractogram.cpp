#include "diffractogram.h"

#include <cmath>

namespace kb {

double PeakShape(double offsetDeg)
{
    return static_cast<double>(kPeakHeight) *
           std::exp(static_cast<double>(kPeakExponent) * offsetDeg * offsetDeg);
}

PeakRange AddActivePeak(SimState& s, float twoThetaDeg)
{
    PeakRange range;
    if (s.ActiveReflex < 0 || s.ActiveReflex >= s.ReflexCount) {
        return range;
    }
    Reflex& reflex = s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)];
    if (reflex.PeakRecorded) {
        return range;
    }
    reflex.PeakRecorded = true;
    const int first = RoundHalfEven((static_cast<double>(twoThetaDeg) - 2.1) / 0.3);
    // The offsets run on the bin grid from -2.1 to +2.1 degrees: exactly 15 samples.
    float offset = -kPeakHalfSpanDeg;
    int bin = first;
    for (int sample = 0; sample < kPeakSamples; ++sample) {
        if (bin >= 0 && bin < kDiffractogramBins) {
            float& value = s.Diffractogram[static_cast<std::size_t>(bin)];
            value = Single(value + PeakShape(offset));
        }
        ++bin;
        offset = Single(static_cast<double>(offset) + 0.3);
    }
    range.first = first;
    range.end = bin;
    return range;
}

bool AnyPeakRecorded(const SimState& s)
{
    for (int i = 0; i < s.ReflexCount; ++i) {
        if (s.ReflexTable[static_cast<std::size_t>(i)].PeakRecorded) {
            return true;
        }
    }
    return false;
}

void ClearDiffractogramData(SimState& s)
{
    for (int i = 0; i < s.ReflexCount; ++i) {
        s.ReflexTable[static_cast<std::size_t>(i)].PeakRecorded = false;
    }
    s.Diffractogram.fill(0.0f);
}

}  // namespace kb
