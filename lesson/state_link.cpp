#include "state_link.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <locale>
#include <sstream>
#include <vector>

#include "experiments.h"
#include "model/catalogue.h"
#include "model/crystal_choice.h"
#include "model/rotation.h"
#include "render/readouts.h"
#include "session.h"

namespace kb {
namespace {

constexpr int kLinkOmegaDecimals = 4;  // 0.0001 degrees: far below a pixel

StateParse Fail(std::string message)
{
    return StateParse{std::nullopt, std::move(message)};
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A number as a user types it: a point or a comma as decimal separator.
std::optional<double> ParseDecimal(std::string_view typed)
{
    std::string text(Trimmed(typed));
    std::replace(text.begin(), text.end(), ',', '.');
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    if (text.empty() || !(in >> value) || !std::isfinite(value)) {
        return std::nullopt;
    }
    in >> std::ws;
    return in.eof() ? std::optional<double>(value) : std::nullopt;
}

std::optional<std::uint32_t> ParseWhole(std::string_view typed)
{
    const std::string_view text = Trimmed(typed);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char at)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(at, start);
        parts.push_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::optional<std::string> PercentDecoded(std::string_view text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        unsigned byte = 0;
        if (i + 2 >= text.size() ||
            std::from_chars(text.data() + i + 1, text.data() + i + 3, byte, 16).ptr != text.data() + i + 3) {
            return std::nullopt;
        }
        plain += static_cast<char>(byte);
        i += 2;
    }
    return plain;
}

// Up to `decimals` digits after the point, trailing zeros dropped, by the
// readouts' own formatter: a link reads alike under every locale.
std::string Number(double value, int decimals)
{
    std::string text = FormatFixed(value, decimals, ".");
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

}  // namespace

StateParse CheckStateOptions(const StateOptions& typed)
{
    StateRequest request;
    std::optional<std::int32_t> number;
    if (typed.experiment) {
        number = ParseExperimentNumber(*typed.experiment);
        if (!number) {
            return Fail(TrArgs("core", "Experiment %1 existiert nicht.", {*typed.experiment}));
        }
        if (FindExperiment(*number) == nullptr) {
            return Fail(TrArgs("core", "Unbekanntes Experiment: %1", {*typed.experiment}));
        }
        request.experiment = typed.experiment;
    }
    if (typed.lattice || typed.wavelength) {
        CrystalParams crystal = kStandardCrystal;
        if (typed.lattice) {
            const std::vector<std::string_view> parts = Split(*typed.lattice, ',');
            std::optional<double> a, b, gamma;
            if (parts.size() == 3) {
                a = ParseDecimal(parts[0]);
                b = ParseDecimal(parts[1]);
                gamma = ParseDecimal(parts[2]);
            }
            if (!a || !b || !gamma) {
                return Fail(TrArgs("core",
                                   "--lattice %1: erwartet werden drei Zahlen A,B,GAMMA, etwa 300,300,90.",
                                   {*typed.lattice}));
            }
            crystal.LatticeA = Single(*a);
            crystal.LatticeB = Single(*b);
            crystal.GammaDeg = Single(*gamma);
        }
        if (typed.wavelength) {
            const std::optional<double> lambda = ParseDecimal(*typed.wavelength);
            if (!lambda) {
                return Fail(TrArgs("core", "--wavelength %1: erwartet wird eine Wellenlänge in pm.",
                                   {*typed.wavelength}));
            }
            crystal.Lambda = Single(*lambda);
        }
        const CrystalCheck check = CheckCrystal(crystal);
        if (!check.accepted) {
            std::string message = check.message;
            std::replace(message.begin(), message.end(), '\n', ' ');
            return Fail(message);
        }
        if (number && *number >= 1) {
            return Fail(
                TrArgs("core",
                       "Experiment %1 ist für den Standardkristall geschrieben; --lattice und --wavelength "
                       "gehen mit den Experimenten 0 und -1 oder ohne Experiment.",
                       {*typed.experiment}));
        }
        request.crystal = CountedCrystal(crystal);
    }
    if (typed.omega) {
        const std::optional<double> omega = ParseDecimal(*typed.omega);
        if (!omega || *omega < 0.0 || *omega > kMaxLinkOmegaDeg) {
            return Fail(
                TrArgs("core", "--omega %1: erwartet wird ein Winkel von 0 bis 360 Grad.", {*typed.omega}));
        }
        request.omegaDeg = omega;
    }
    if (typed.speed) {
        const std::optional<std::uint32_t> interval = ParseWhole(*typed.speed);
        if (!interval || *interval < kFastestLinkIntervalMs || *interval > kSlowestIntervalMs) {
            return Fail(TrArgs(
                "core", "--speed %1: erwartet werden Millisekunden je Drehschritt, von %2 bis %3.",
                {*typed.speed, std::to_string(kFastestLinkIntervalMs), std::to_string(kSlowestIntervalMs)}));
        }
        request.intervalMs = interval;
    }
    if (typed.language) {
        const std::vector<std::string> codes = AvailableLanguages();
        if (std::find(codes.begin(), codes.end(), *typed.language) == codes.end()) {
            std::string list;
            for (const std::string& code : codes) {
                list += (list.empty() ? "" : ", ") + code;
            }
            return Fail(
                TrArgs("core", "--lang %1: erwartet wird eine der Sprachen %2.", {*typed.language, list}));
        }
        request.language = typed.language;
    }
    return StateParse{std::move(request), {}};
}

StateParse ParseStateFragment(std::string_view fragment)
{
    if (!fragment.empty() && fragment.front() == '#') {
        fragment.remove_prefix(1);
    }
    StateOptions typed;
    if (fragment.empty()) {
        return CheckStateOptions(typed);
    }
    for (const std::string_view pair : Split(fragment, '&')) {
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        const std::string_view name = pair.substr(0, equals);
        std::optional<std::string>* slot = name == "experiment"   ? &typed.experiment
                                           : name == "lattice"    ? &typed.lattice
                                           : name == "wavelength" ? &typed.wavelength
                                           : name == "omega"      ? &typed.omega
                                           : name == "speed"      ? &typed.speed
                                           : name == "lang"       ? &typed.language
                                                                  : nullptr;
        if (slot == nullptr) {
            return Fail(TrArgs("core", "Unbekannte Angabe „%1“.", {name}));
        }
        // A broken escape stays as typed, so that the value's own check names it.
        const std::string_view raw = pair.substr(equals == std::string_view::npos ? pair.size() : equals + 1);
        const std::optional<std::string> value =
            equals == std::string_view::npos ? std::nullopt
                                             : std::optional(PercentDecoded(raw).value_or(std::string(raw)));
        if (!value || value->empty()) {
            return Fail(TrArgs("core", "Nach --%1 fehlt der Wert.", {name}));
        }
        *slot = value;
    }
    return CheckStateOptions(typed);
}

std::string StateFragment(const Session& session)
{
    if (session.InLab()) {
        return {};
    }
    const SimState& s = session.State();
    std::string fragment;
    const auto add = [&fragment](std::string_view name, const std::string& value) {
        fragment += (fragment.empty() ? "" : "&") + std::string(name) + "=" + value;
    };
    if (session.ExperimentNumber()) {
        add("experiment", std::to_string(*session.ExperimentNumber()));
    }
    if (s.Crystal != kStandardCrystal) {
        const CrystalParams& c = s.Crystal;
        add("lattice", Number(c.LatticeA, kCrystalDecimals) + "," + Number(c.LatticeB, kCrystalDecimals) +
                           "," + Number(c.GammaDeg, kCrystalDecimals));
        add("wavelength", Number(c.Lambda, kCrystalDecimals));
    }
    if (s.DegToRad > 0.0f) {
        const double fullTurn = 360.0;
        double omega = std::fmod(static_cast<double>(s.Omega) / static_cast<double>(s.DegToRad), fullTurn);
        if (omega < 0.0) {
            omega += fullTurn;
        }
        add("omega", Number(omega, kLinkOmegaDecimals));
    }
    add("speed", std::to_string(s.TimerInterval));
    return fragment;
}

void ApplyState(Session& session, const StateRequest& request)
{
    if (request.language) {
        session.SetLanguage(*request.language);
    }
    session.FormActivate();
    if (request.crystal) {
        session.ApplyCrystal(*request.crystal);
    }
    if (request.experiment) {
        if (const std::optional<std::int32_t> number = ParseExperimentNumber(*request.experiment)) {
            session.StartExperiment(*number);
        }
    }
    if (request.omegaDeg) {
        session.TurnTo(*request.omegaDeg);
    }
    if (request.intervalMs) {
        session.SetSpeed(*request.intervalMs);
    }
}

std::string OpenStateFragment(Session& session, std::string_view fragment)
{
    const StateParse parse = ParseStateFragment(fragment);
    if (parse.request) {
        ApplyState(session, *parse.request);
    }
    return parse.message;
}

}  // namespace kb
