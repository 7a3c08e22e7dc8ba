#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/crystal.h"

namespace kb {

class Session;

// A state to open, as a link's fragment or the command line give it:
// "experiment=12&lattice=300,300,90&wavelength=70.93&omega=25.5&speed=70",
// or --experiment 12 --lattice 300,300,90 ... with the same names, ranges
// and messages, checked here for both.

// The values as typed, by option name; absent when not given.
struct StateOptions {
    std::optional<std::string> experiment;  // a lesson number, -1 to 14
    std::optional<std::string> lattice;     // "A,B,GAMMA", pm, pm, degrees
    std::optional<std::string> wavelength;  // pm
    std::optional<std::string> omega;       // degrees, 0 to 360
    std::optional<std::string> speed;       // ms per rotation step, whole, 1 to 60000
    std::optional<std::string> language;    // "lang": a code of AvailableLanguages
};

// What a checked state asks for; every value is usable.
struct StateRequest {
    std::optional<std::string> experiment;  // as typed
    std::optional<CrystalParams> crystal;   // a and b or lambda given; the rest standard
    std::optional<double> omegaDeg;
    std::optional<std::uint32_t> intervalMs;
    std::optional<std::string> language;
};

// A request, or the message in the current language saying what is wrong
// (one line, naming the option as the command line spells it: "--omega 400: ...").
struct StateParse {
    std::optional<StateRequest> request;
    std::string message;
};

inline constexpr double kMaxLinkOmegaDeg = 360.0;
inline constexpr std::uint32_t kFastestLinkIntervalMs = 1;  // "schneller" goes below its own stop

StateParse CheckStateOptions(const StateOptions& typed);
// The fragment of a link, with or without its "#"; names as above, values
// percent-decoded, the last of a repeated name counting.
StateParse ParseStateFragment(std::string_view fragment);
// The session's state as such a fragment: the lesson, the crystal where it
// is not the standard, Omega and the speed. Empty in the lab, whose crystal
// a link must not give away. Without the language: that is the reader's.
std::string StateFragment(const Session& session);
// The language, the crystal, then the lesson as "Start" starts it, then Omega
// and the speed; initialises the session first if it has not been.
void ApplyState(Session& session, const StateRequest& request);
// Both at once, as a front end opens a link: the message on a bad value, and
// then nothing changes; empty when the state is applied.
std::string OpenStateFragment(Session& session, std::string_view fragment);

}  // namespace kb
