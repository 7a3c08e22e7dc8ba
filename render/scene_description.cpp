#include "scene_description.h"

#include "readouts.h"

namespace kb {

std::string DescribeScene(const SimState& s, std::string_view sep)
{
    const auto whole = [&](double v) { return FormatFixed(v, 0, sep); };
    const auto tenth = [&](double v) { return FormatFixed(v, 1, sep); };
    std::string text =
        "Kristall um Omega = " + whole(static_cast<double>(s.Omega) * s.RadToDeg) + "° gedreht; ";
    if (s.ActiveReflex < 0 || s.ActiveReflex >= s.ReflexCount) {
        return text + "kein Reflex in Bragg-Stellung.";
    }
    const Reflex& r = s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)];
    const double theta = static_cast<double>(r.Theta) * s.RadToDeg;
    return text + "Reflex " + whole(r.H) + " " + whole(r.K) + " 0 (" + whole(r.Order) +
           ". Ordnung) in Bragg-Stellung: Theta = " + tenth(theta) + "°, 2Theta = " + tenth(2.0 * theta) +
           "°.";
}

std::string DescribeLabScene(const SimState& s, std::string_view sep)
{
    std::string text =
        "Kristall um Omega = " + FormatFixed(static_cast<double>(s.Omega) * s.RadToDeg, 0, sep) +
        "° gedreht; ";
    if (s.ActiveReflex < 0 || s.ActiveReflex >= s.ReflexCount) {
        return text + "kein Reflex in Bragg-Stellung.";
    }
    const double theta = static_cast<double>(s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)].Theta);
    return text + "ein Reflex in Bragg-Stellung: 2Theta = " + FormatFixed(2.0 * theta * s.RadToDeg, 1, sep) +
           "°.";
}

}  // namespace kb
