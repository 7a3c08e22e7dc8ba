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

// The readouts of an unknown crystal: Omega as always, Edit4 whether a
// reflection is in Bragg position without naming it, and in ListBox1 the lab's
// `listLines` (the cursor's reading, the verdict), shown while there are any.
Readouts ComputeLabReadouts(const SimState& s, const PassGeometry& g, std::string_view decimalSeparator,
                            int omegaBoxTop, const std::vector<std::string>& listLines);

// The measuring cursor's reading at `twoThetaDeg`: "2Θ = 24,45°, d/n = 182,0 pm"
// with d/n = lambda / (2 sin Theta); at 0 degrees, where d/n has no value, 2Θ alone.
std::string CursorReadingText(double twoThetaDeg, double lambdaPm, std::string_view decimalSeparator);

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
// The same for an unknown crystal: the lab's texts, the widest lines of a
// reading and a verdict.
ReadoutTexts PossibleLabReadoutTexts(std::string_view decimalSeparator);

}  // namespace kb
