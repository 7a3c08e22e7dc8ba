#pragma once

#include <string>
#include <string_view>

#include "pass_geometry.h"
#include "scene.h"

namespace kb {

// Fixed-point text of `value` with `decimals` decimals, rounded half away from
// zero on the value's decimal digits; no minus sign on a value that rounds to
// zero; `decimalSeparator` between the integer and the decimal digits.
std::string FormatFixed(double value, int decimals, std::string_view decimalSeparator);

// The texts, sizes and visibility of the three readout boxes after a pass.
Readouts ComputeReadouts(const SimState& s, const PassGeometry& g, std::string_view decimalSeparator,
                         int omegaBoxTop);

}  // namespace kb
