#include "types.h"

#include <cmath>
#include <limits>
#include <locale>
#include <sstream>

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

double RoundDecimalHalfAway(double value, int decimals)
{
    constexpr double kTieNudge = 1e-12;
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale * (1.0 + kTieNudge)) / scale;
}

double AsTyped(float value)
{
    // The shortest decimal that gives back the float, read as a double. The
    // classic locale keeps the C library's regional decimal comma out of it;
    // streams rather than std::to_chars, which the browser build's library
    // lacks for floating point.
    double typed = value;
    for (int digits = 1; digits <= std::numeric_limits<float>::max_digits10; ++digits) {
        std::ostringstream text;
        text.imbue(std::locale::classic());
        text.precision(digits);
        text << static_cast<double>(value);
        std::istringstream back(text.str());
        back.imbue(std::locale::classic());
        double read = 0.0;
        if ((back >> read) && static_cast<float>(read) == value) {
            typed = read;
            break;
        }
    }
    return typed;
}

}  // namespace kb
