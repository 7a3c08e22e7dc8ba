#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// Every text a box can show at the size of the last pass: the widest Omega,
// and for each reflection of the table its reflex text and list lines. A
// box's font is chosen from these once per size, so it never changes with
// the text shown.
struct ReadoutTexts {
    std::vector<std::string> omega;
    std::vector<std::string> reflex;
    std::vector<std::string> list;
    int listLineCount = 0;  // the most lines the list shows at once
};
ReadoutTexts PossibleReadoutTexts(const SimState& s, std::string_view decimalSeparator);

}  // namespace kb
