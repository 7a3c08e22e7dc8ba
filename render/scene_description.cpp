#include "scene_description.h"
#include "model/catalogue.h"

#include "readouts.h"

namespace kb {

std::string DescribeScene(const SimState& s, std::string_view sep)
{
    const auto whole = [&](double v) { return FormatFixed(v, 0, sep); };
    const auto tenth = [&](double v) { return FormatFixed(v, 1, sep); };
    std::string text = TrArgs("core", "Kristall um Omega = %1° gedreht; ",
                              {whole(static_cast<double>(s.Omega) * s.RadToDeg)});
    if (s.ActiveReflex < 0 || s.ActiveReflex >= s.ReflexCount) {
        return text + Tr("core", "kein Reflex in Bragg-Stellung.");
    }
    const Reflex& r = s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)];
    const double theta = static_cast<double>(r.Theta) * s.RadToDeg;
    return text + TrArgs("core", "Reflex %1 %2 0 (%3. Ordnung) in Bragg-Stellung: Theta = %4°, 2Theta = %5°.",
                         {whole(r.H), whole(r.K), whole(r.Order), tenth(theta), tenth(2.0 * theta)});
}

std::string DescribeLabScene(const SimState& s, std::string_view sep)
{
    std::string text = TrArgs("core", "Kristall um Omega = %1° gedreht; ",
                              {FormatFixed(static_cast<double>(s.Omega) * s.RadToDeg, 0, sep)});
    if (s.ActiveReflex < 0 || s.ActiveReflex >= s.ReflexCount) {
        return text + Tr("core", "kein Reflex in Bragg-Stellung.");
    }
    const double theta = static_cast<double>(s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)].Theta);
    return text + TrArgs("core", "ein Reflex in Bragg-Stellung: 2Theta = %1°.",
                         {FormatFixed(2.0 * theta * s.RadToDeg, 1, sep)});
}

}  // namespace kb
