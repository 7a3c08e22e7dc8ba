#pragma once

#include <string>
#include <string_view>

#include "model/crystal.h"

namespace kb {

// A crystal value as the caption shows it: up to three decimals, trailing
// zeros dropped, `decimalSeparator` between the digits, no group separator.
std::string CrystalCaptionNumber(double value, std::string_view decimalSeparator);

// What the window caption adds while a crystal other than the standard is in
// use, " (a = 300 pm, b = 300 pm, γ = 90°, λ = 70,93 pm)"; empty for the standard.
std::string CrystalCaptionSuffix(const CrystalParams& crystal, std::string_view decimalSeparator);

}  // namespace kb
