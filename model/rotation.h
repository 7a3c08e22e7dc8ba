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

// "nächsterReflex": the next reflection of the sweep order in exact Bragg position.
void StepToNextReflex(SimState& s);

// "Grundposition": crystal at 0, no reflection active or headed for, marks unset.
// The sweep starts afresh at position 0 once the crystal leaves -1..+1 degree.
void ResetToGroundPosition(SimState& s);

// Heads the sweep for the first reflection whose Bragg window the crystal
// has not yet passed at its present angle, as the sweep stands after
// "Grundposition" at 0 degrees. A turn that starts here meets every
// reflection once per full turn, whatever the sweep was heading for before
// (the sweep that the initialisation leaves reaches position 0 only after a
// wrap). Past every window, it heads for the last one, so the next tick wraps.
void AlignSweepWithCrystal(SimState& s);

// Whether the reflection after the one the sweep heads for has its Bragg angle
// within `remainingRad` of further turning. A turn that stops while the window
// before it is still open would skip it: the sweep reaches it only after a
// step back into its window.
bool SweepMeetsAnotherWithin(const SimState& s, double remainingRad);

// Places table entry `index` in exact Bragg position (feature codes 32 and 33).
void PlaceInBraggPosition(SimState& s, int index);

// The new timer intervals of "schneller" and "langsamer", in unsigned arithmetic.
std::uint32_t FasterInterval(std::uint32_t intervalMs);
std::uint32_t SlowerInterval(std::uint32_t intervalMs);

}  // namespace kb
