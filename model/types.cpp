#include "types.h"

#include <cmath>

namespace kb {

int RoundHalfEven(double value)
{
    const double floorValue = std::floor(value);
    const double fraction = value - floorValue;
    double result = floorValue;
    if (fraction > 0.5) {
        result = floorValue + 1.0;
    } else if (fraction == 0.5) {
        // Tie: take the even neighbour.
        result = (std::fmod(floorValue, 2.0) == 0.0) ? floorValue : floorValue + 1.0;
    }
    return static_cast<int>(result);
}

}  // namespace kb
