#include "crystal_caption.h"

#include <cstdio>

namespace kb {

std::string CrystalCaptionNumber(double value, std::string_view decimalSeparator)
{
    // Correctly rounded on the value's binary digits, as the toolkits format.
    // The C library writes the point of its own locale: found as the one
    // character that is neither digit nor sign.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    const std::size_t point = text.find_first_not_of("-0123456789");
    if (point == std::string::npos) {
        return text;
    }
    std::string fraction = text.substr(point + 1);
    text.erase(point);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (!fraction.empty()) {
        text += decimalSeparator;
        text += fraction;
    }
    return text;
}

std::string CrystalCaptionSuffix(const CrystalParams& crystal, std::string_view decimalSeparator)
{
    if (crystal == kStandardCrystal) {
        return {};
    }
    const auto number = [&](float value) { return CrystalCaptionNumber(value, decimalSeparator); };
    return " (a = " + number(crystal.LatticeA) + " pm, b = " + number(crystal.LatticeB) +
           " pm, γ = " + number(crystal.GammaDeg) + "°, λ = " + number(crystal.Lambda) + " pm)";
}

}  // namespace kb
