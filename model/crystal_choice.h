#pragma once

#include <string>
#include <vector>

#include "crystal.h"
#include "sim_state.h"

namespace kb {

enum class CrystalField { LatticeA, LatticeB, Gamma, Lambda };

// The verdict on a crystal choice.
struct CrystalCheck {
    bool accepted = false;
    std::vector<CrystalField> outOfRange;  // in the order a, b, gamma, lambda
    int reflexCount = 0;                   // reflections of the choice; 0 while a field is out of range
    std::string message;                   // German, one line per fault; empty when accepted
};

// The German message for a field outside its accepted range.
std::string RangeMessage(CrystalField field);

// The decimals of a, b, gamma and lambda that count: the dialogs take no
// more, and further digits typed elsewhere are rounded off.
constexpr int kCrystalDecimals = 3;

// The choice as the simulation holds it: each value as typed, rounded to
// kCrystalDecimals, half away from zero, and stored in single precision,
// which keeps every such value of the accepted ranges exactly.
CrystalParams CountedCrystal(const CrystalParams& crystal);

// Checks the ranges of the counted choice and, if they hold, how many
// reflections it gives (at most kMaxReflexCount are accepted). Changes nothing.
CrystalCheck CheckCrystal(const CrystalParams& crystal);

// Gives a running simulation another crystal, as counted: reciprocal
// constants, reflection table and sweep order rebuilt, diffractogram and its
// recorded peaks cleared, marks unset, the crystal in its ground position with
// no reflection active.
// A refused choice leaves the state untouched. Works before the
// initialisation too, which then builds on the stored choice.
CrystalCheck ChangeCrystal(SimState& s, const CrystalParams& crystal);

}  // namespace kb
