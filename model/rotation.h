#pragma once

#include <cstdint>

#include "sim_state.h"

namespace kb {

constexpr float kRotationStepDeg = 0.25f;    // per timer tick
constexpr float kBraggHalfWindowDeg = 1.0f;  // the window reaches one degree either side
constexpr double kFadeScale = 255.0;
constexpr std::uint32_t kFastestIntervalMs = 10;     // "schneller" stops shortening at or below this
constexpr std::uint32_t kSlowestIntervalMs = 60000;  // "langsamer" never goes past one minute

// Steps 1 to 3 of a timer tick: turn by a quarter degree and decide whether the
// reflection headed for is in Bragg position, fading the beam colour with the
// distance from the exact angle. A NextReflex of -1 heads for nothing.
void RotationStep(SimState& s);

// Step 5 of a timer tick, after the scene pass: once the window is passed,
// head for the next reflection of the sweep and step back to its window start
// if the crystal already stands beyond it.
void AdvanceSweepIfPassed(SimState& s);

// Whatever sets Omega other than a tick leaves the sweep heading for a
// reflection it has not yet met at that angle, so that a full turn from there
// meets every reflection once.

// "nächsterReflex": the next reflection of the sweep in exact Bragg position:
// the one headed for while the crystal is short of its Bragg angle, else the
// one after it, the first again after the last. The sweep heads for it, so
// the following ticks keep it active while they stay in its window.
void StepToNextReflex(SimState& s);

// "Grundposition": crystal at 0, no reflection active, marks unset; the sweep
// heads for its first reflection.
void ResetToGroundPosition(SimState& s);

// Heads the sweep for the first reflection whose Bragg window the crystal has
// not yet passed at its present angle. Past every window, it heads for the
// last one, so that the next tick wraps to the first.
void AlignSweepWithCrystal(SimState& s);

// Whether the reflection after the one the sweep heads for has its Bragg angle
// within `remainingRad` of further turning. A turn that stops while the window
// before it is still open would skip it: the sweep reaches it only after a
// step back into its window.
bool SweepMeetsAnotherWithin(const SimState& s, double remainingRad);

// Places table entry `index` in exact Bragg position (feature codes 32 and
// 33), the sweep heading for it as after "nächsterReflex".
void PlaceInBraggPosition(SimState& s, int index);

// The new timer intervals of "schneller" and "langsamer", in unsigned arithmetic.
std::uint32_t FasterInterval(std::uint32_t intervalMs);
std::uint32_t SlowerInterval(std::uint32_t intervalMs);

}  // namespace kb
