#include "peak_match.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "crystal_choice.h"
#include "reflex_table.h"
#include "unknown_crystal.h"

namespace kb {
namespace {

// Room for the rounding of double arithmetic at the edge of the tolerance, degrees.
constexpr double kToleranceSlack = 1e-9;

// Whether a value of the ascending `peaks` lies within the tolerance of `twoTheta`.
bool HasPeakNear(std::span<const double> peaks, double twoTheta)
{
    const double reach = kPeakMatchToleranceDeg + kToleranceSlack;
    const auto first = std::lower_bound(peaks.begin(), peaks.end(), twoTheta - reach);
    return first != peaks.end() && *first <= twoTheta + reach;
}

std::vector<std::pair<int, int>> RecordedIndices(const SimState& s)
{
    std::vector<std::pair<int, int>> recorded;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        if (r.PeakRecorded) {
            recorded.emplace_back(r.H, r.K);
        }
    }
    std::sort(recorded.begin(), recorded.end());
    return recorded;
}

}  // namespace

std::vector<double> MeasuredPeaks(const SimState& s)
{
    const std::vector<std::pair<int, int>> recorded = RecordedIndices(s);
    if (recorded.empty()) {
        return {};
    }
    std::vector<double> twoThetas;
    for (const ReachableReflex& r : ReachableReflexes(s)) {
        if (std::binary_search(recorded.begin(), recorded.end(), std::make_pair(r.H, r.K))) {
            twoThetas.push_back(r.TwoThetaDeg);
        }
    }
    return DistinctAngles(std::move(twoThetas));
}

bool MeasurementComplete(const SimState& s)
{
    if (s.ReflexCount == 0) {
        return false;
    }
    for (int i = 0; i < s.ReflexCount; ++i) {
        if (!s.ReflexTable[static_cast<std::size_t>(i)].PeakRecorded) {
            return false;
        }
    }
    return true;
}

GuessVerdict CompareGuess(std::span<const double> measuredDeg, bool complete, const CrystalParams& guess)
{
    GuessVerdict verdict;
    verdict.measured = static_cast<int>(measuredDeg.size());
    verdict.complete = complete;
    // A cell outside the accepted ranges is no crystal and predicts nothing;
    // a cell with more reflections than the picture takes still predicts them.
    const std::vector<CrystalField> outOfRange = CheckCrystal(guess).outOfRange;
    const std::vector<double> predicted = outOfRange.empty() ? DistinctPeaks(guess) : std::vector<double>{};
    for (const double m : measuredDeg) {
        if (HasPeakNear(predicted, m)) {
            ++verdict.explained;
        }
    }
    if (!measuredDeg.empty()) {
        const double measuredEnd = *std::max_element(measuredDeg.begin(), measuredDeg.end()) +
                                   kPeakMatchToleranceDeg + kToleranceSlack;
        std::vector<double> measured(measuredDeg.begin(), measuredDeg.end());
        std::sort(measured.begin(), measured.end());
        for (const double p : predicted) {
            if (p <= measuredEnd && !HasPeakNear(measured, p)) {
                ++verdict.missing;
            }
        }
    }
    verdict.solved =
        complete && verdict.measured > 0 && verdict.explained == verdict.measured && verdict.missing == 0;
    return verdict;
}

}  // namespace kb
