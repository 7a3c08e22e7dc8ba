#include "types.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kb {

int RoundHalfEven(double value)
{
    // Adding 1.5 * 2^52 to a value this small leaves no bits for a fraction,
    // so the sum is rounded to an integer, ties to even, the way IEEE
    // arithmetic rounds by default; subtracting it again is exact. This runs
    // for every coordinate of every pass, where floor and a test for ties
    // cost several times as much.
    constexpr double kShift = 0x1.8p52;
    if (std::abs(value) < 0x1p30) {
        return static_cast<int>((value + kShift) - kShift);
    }
    if (value > -2147483648.5 && value < 2147483647.5) {
        return static_cast<int>(std::nearbyint(value));
    }
    // Far outside any screen: saturate rather than overflow.
    if (std::isnan(value)) {
        return 0;
    }
    return value < 0.0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
}

double AsTyped(float value)
{
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    double typed = value;
    std::from_chars(text, written.ptr, typed);
    return typed;
}

}  // namespace kb
