#include "rotation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kb {
namespace {

float StepRad(const SimState& s)
{
    return Single(static_cast<double>(kRotationStepDeg) * s.DegToRad);
}

void SetWindowAround(SimState& s, float centre)
{
    const double half = static_cast<double>(kBraggHalfWindowDeg) * s.DegToRad;
    s.WindowStart = Single(centre - half);
    s.WindowEnd = Single(half + centre);
}

const Reflex& Entry(const SimState& s, int index)
{
    return s.ReflexTable[static_cast<std::size_t>(index)];
}

// Heads the sweep for sweep position `position`, with the window around its Bragg angle.
void HeadFor(SimState& s, int position)
{
    s.SweepPos = position;
    s.NextReflex = s.SweepOrder[static_cast<std::size_t>(position)];
    SetWindowAround(s, Entry(s, s.NextReflex).OmegaBragg);
}

// The reflection at `position` in exact Bragg position, and the sweep heading
// for it, so that the following ticks keep it active within its window.
void PlaceAtSweepPosition(SimState& s, int position)
{
    HeadFor(s, position);
    s.ActiveReflex = s.NextReflex;
    s.Omega = Entry(s, s.ActiveReflex).OmegaBragg;
}

}  // namespace

void RotationStep(SimState& s)
{
    s.ActiveReflex = -1;
    s.Omega = Single(static_cast<double>(s.Omega) + StepRad(s));
    if (s.NextReflex < 0 || s.NextReflex >= s.ReflexCount) {
        return;
    }
    if (s.WindowStart <= s.Omega && s.Omega <= s.WindowEnd) {
        s.ActiveReflex = s.NextReflex;
        s.CurrentBragg = Entry(s, s.NextReflex).OmegaBragg;
        const double distance = std::fabs(static_cast<double>(s.Omega) - s.CurrentBragg);
        const double halfWidth = static_cast<double>(s.WindowEnd) - s.CurrentBragg;
        const int index = RoundHalfEven(distance / halfWidth * kFadeScale);
        if (index >= 0 && index < kIntensityRampSize) {
            s.DiffractedBeamColour = s.IntensityRamp[static_cast<std::size_t>(index)];
        }
    }
}

void AdvanceSweepIfPassed(SimState& s)
{
    if (!(s.Omega > s.WindowEnd) || s.ReflexCount <= 0) {
        return;
    }
    s.SweepPos = s.SweepPos + 1;
    if (s.SweepPos >= s.ReflexCount) {
        s.SweepPos = 0;
    }
    s.NextReflex = s.SweepOrder[static_cast<std::size_t>(s.SweepPos)];
    SetWindowAround(s, Entry(s, s.NextReflex).OmegaBragg);
    if (s.Omega > s.WindowStart) {
        s.Omega = s.WindowStart;
    }
}

void StepToNextReflex(SimState& s)
{
    if (s.ReflexCount <= 0) {
        return;
    }
    if (s.SweepPos < 0 || s.SweepPos >= s.ReflexCount) {
        AlignSweepWithCrystal(s);
    }
    // The reflection headed for is the next one while the crystal is still
    // short of its Bragg angle; from there on, the one after it.
    int position = s.SweepPos;
    if (s.Omega >= Entry(s, s.NextReflex).OmegaBragg) {
        position = position + 1 < s.ReflexCount ? position + 1 : 0;
    }
    PlaceAtSweepPosition(s, position);
    s.DiffractedBeamColour = kDarkRed;
}

void ResetToGroundPosition(SimState& s)
{
    UnsetAllEwaldMarks(s);
    s.Omega = 0.0f;
    s.ActiveReflex = -1;
    AlignSweepWithCrystal(s);
}

void AlignSweepWithCrystal(SimState& s)
{
    if (s.ReflexCount <= 0) {
        s.SweepPos = -1;
        s.NextReflex = -1;  // a crystal whose reflections the wavelength cannot reach
        return;
    }
    int position = 0;
    while (position < s.ReflexCount - 1) {
        SetWindowAround(s, Entry(s, s.SweepOrder[static_cast<std::size_t>(position)]).OmegaBragg);
        if (s.WindowEnd >= s.Omega) {
            break;
        }
        ++position;
    }
    HeadFor(s, position);
}

bool SweepMeetsAnotherWithin(const SimState& s, double remainingRad)
{
    if (s.ReflexCount <= 0 || s.NextReflex < 0 || s.SweepPos < 0) {
        return false;
    }
    int following = s.SweepPos + 1;
    double lap = 0.0;  // the first of the sweep again is a full turn on
    if (following >= s.ReflexCount) {
        following = 0;
        lap = 2.0 * std::numbers::pi;
    }
    const double ahead =
        static_cast<double>(Entry(s, s.SweepOrder[static_cast<std::size_t>(following)]).OmegaBragg) + lap -
        s.Omega;
    return ahead <= remainingRad;
}

void PlaceInBraggPosition(SimState& s, int index)
{
    if (index < 0 || index >= s.ReflexCount) {
        return;
    }
    const auto order = s.SweepOrder.begin();
    PlaceAtSweepPosition(s, static_cast<int>(std::find(order, order + s.ReflexCount, index) - order));
}

std::uint32_t FasterInterval(std::uint32_t intervalMs)
{
    if (intervalMs > kFastestIntervalMs) {
        return intervalMs * 2u / 3u;
    }
    return intervalMs;
}

std::uint32_t SlowerInterval(std::uint32_t intervalMs)
{
    const std::uint64_t longer = static_cast<std::uint64_t>(intervalMs) * 3u / 2u;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(longer, kSlowestIntervalMs));
}

}  // namespace kb
