#pragma once

#include <cstdint>

namespace kb {

// A point of the scene: world units, pixels or lattice coordinates,
// depending on the frame it is given in. Always single precision.
struct Point {
    float x = 0.0f;
    float y = 0.0f;

    friend bool operator==(const Point&, const Point&) = default;
};

constexpr Point MakePoint(float x, float y) { return Point{x, y}; }

// 24-bit colour, 0xRRGGBB.
using Colour = std::uint32_t;

constexpr Colour MakeRgb(int red, int green, int blue)
{
    return (static_cast<Colour>(red & 0xFF) << 16) | (static_cast<Colour>(green & 0xFF) << 8) |
           static_cast<Colour>(blue & 0xFF);
}
constexpr int RedOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>(c & 0xFF); }

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0xFF0000;
constexpr Colour kDarkRed = 0x800000;
constexpr Colour kGreen = 0x008000;
constexpr Colour kBlue = 0x0000FF;

// Rounds to the nearest integer, ties to even. The one conversion from a
// real value to a screen coordinate or an index anywhere in the program.
int RoundHalfEven(double value);

// Rounds to `decimals` places, half away from zero, as a user reads a printed
// number; the result is the double nearest that decimal. A value that lies
// exactly halfway in decimal arithmetic comes out of a double computation a
// few units of the last place to either side; a nudge of 1e-12 of the value,
// far above that noise and far below any printed step, decides every such tie
// the same way, and moves a value that only comes close to a tie as seldom.
double RoundDecimalHalfAway(double value, int decimals);

// Rounds a value computed in double precision to single precision, as every
// named real variable of the simulation is stored.
constexpr float Single(double value) { return static_cast<float>(value); }

// The decimal a user typed for a stored single, in double precision: the
// shortest decimal that gives the single back (300.1f gives 300.1, not
// 300.100006103515625).
double AsTyped(float value);

}  // namespace kb
