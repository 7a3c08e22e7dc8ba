#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crystal.h"

namespace kb {

// The lab's unknown crystal: a class code made by the teacher, a seat and a
// level give every student a crystal of their own, the same on every machine
// and in every front end. Deterministic integer arithmetic only: no platform
// random generator, no floating-point state in the choice.

enum class LabLevel {
    Rectangular,  // "rechtwinklig": gamma = 90 degrees
    Oblique,      // "schiefwinklig"
};

inline constexpr int kLabFirstSeat = 1;
inline constexpr int kLabLastSeat = 40;
// Letters and digits that cannot be mistaken for one another when read aloud
// or written on the board: no 0/O/D/Q, 1/I/L/J, 2/Z, 5/S, 6/G, 8/B, U/V.
inline constexpr std::string_view kClassCodeAlphabet = "ACEFHKMNPRTWXY3479";
inline constexpr int kClassCodeLength = 6;
// The lab's radiation: Cu K-alpha-1, as the standard crystal's.
inline constexpr float kLabLambdaPm = kLambdaPm;

// A new class code from `entropy` (the front end's clock or random device;
// the code is all the rest depends on).
std::string NewClassCode(std::uint64_t entropy);
// The code as typed, upper-cased, with spaces and hyphens dropped, if it is
// one: kClassCodeLength characters of kClassCodeAlphabet.
std::optional<std::string> NormaliseClassCode(std::string_view typed);
// The teacher's key that belongs to a (normalised) code; it unlocks the
// solutions. Same alphabet and length as a code.
std::string TeacherKey(std::string_view code);
bool IsTeacherKey(std::string_view code, std::string_view typedKey);

// The crystal of `seat` (kLabFirstSeat to kLabLastSeat) for a code (normalised
// here if it can be):
// a reduced cell (a <= b, and for the oblique level 90 < gamma <= 120 with
// |b cos gamma| <= a / 2), lambda kLabLambdaPm, that IsSolvableLabCrystal
// accepts. a and b are whole tenths of a picometre from 250.0 to 650.0,
// gamma whole tenths of a degree, so that what is typed can be exact. A seat
// outside the range is taken as the nearest one.
CrystalParams UnknownCrystal(std::string_view code, int seat, LabLevel level);

// Seats kLabFirstSeat to lastSeat of a code in one go, each with the number
// of candidates its stream drew until one was solvable and far enough from
// the seat before (5 % in a or b, or 5 degrees in gamma); a seat depends on
// the seats before it, so UnknownCrystal is the last of these.
struct SeatCrystal {
    CrystalParams crystal;
    int candidates = 0;  // at least 1
};
std::vector<SeatCrystal> SeatCrystals(std::string_view code, LabLevel level, int lastSeat = kLabLastSeat);

// The 2Theta values (degrees) ascending, those within 1e-6 degrees of the one
// before dropped: the distinct peaks of a set of reflections.
std::vector<double> DistinctAngles(std::vector<double> twoThetasDeg);

// The distinct 2Theta values (degrees, ascending) of every reflection of the
// crystal that can reach Bragg position; reflections whose 2Theta agree to
// within 1e-6 degrees are one peak.
std::vector<double> DistinctPeaks(const CrystalParams& crystal);

// Inhabitable for the lab: the first ten distinct peaks lie below 150 degrees
// and no two of them are closer than three diffractogram bins (0.9 degrees);
// the cell is reduced; the reflection count is within kMaxReflexCount.
bool IsSolvableLabCrystal(const CrystalParams& crystal, LabLevel level);

// For the teacher: seats 1 to 40 of both levels with a, b, gamma and the 2Theta of the
// first five peaks, one line per seat, German, with `decimalSeparator`.
std::string SolutionTable(std::string_view code, std::string_view decimalSeparator);

}  // namespace kb
