#pragma once

#include <array>

namespace kb {

// The standard crystal and radiation, the ones the lessons are written for.
constexpr float kLatticeAPm = 300.0f;
constexpr float kLatticeBPm = 390.0f;
constexpr float kGammaDeg = 111.0f;
constexpr float kLambdaPm = 154.051f;  // Cu K-alpha-1

// Accepted choices; anything outside is refused, the bounds themselves are accepted.
constexpr float kMinLatticePm = 100.0f;
constexpr float kMaxLatticePm = 1000.0f;
constexpr float kMinGammaDeg = 60.0f;
constexpr float kMaxGammaDeg = 150.0f;
constexpr float kMinLambdaPm = 50.0f;
constexpr float kMaxLambdaPm = 500.0f;
// More reflections than this crowd the picture and the sweep beyond use.
constexpr int kMaxReflexCount = 400;

// The two-dimensional crystal and the X-ray line a simulation runs with.
// Held in single precision, as the simulation stores every real value.
struct CrystalParams {
    float LatticeA = kLatticeAPm;  // lattice constant a, pm, 100 to 1000
    float LatticeB = kLatticeBPm;  // lattice constant b, pm, 100 to 1000
    float GammaDeg = kGammaDeg;    // angle between a and b, degrees, 60 to 150
    float Lambda = kLambdaPm;      // wavelength, pm, 50 to 500

    friend bool operator==(const CrystalParams&, const CrystalParams&) = default;
};

constexpr CrystalParams kStandardCrystal{kLatticeAPm, kLatticeBPm, kGammaDeg, kLambdaPm};

// The choices "Kristall und Strahlung" offers besides free values; the same
// in every front end. Names are German, UTF-8.
struct LatticePreset {
    const char* name;
    float a;         // pm
    float b;         // pm
    float gammaDeg;  // degrees
};

struct RadiationPreset {
    const char* name;
    float lambda;  // pm
};

inline constexpr std::array<LatticePreset, 4> kLatticePresets = {{
    {"schiefwinklig (Standard)", kLatticeAPm, kLatticeBPm, kGammaDeg},
    {"rechtwinklig", 300.0f, 390.0f, 90.0f},
    {"quadratisch", 300.0f, 300.0f, 90.0f},
    {"hexagonal", 300.0f, 300.0f, 120.0f},
}};

inline constexpr std::array<RadiationPreset, 4> kRadiationPresets = {{
    {"Cu Kα1", kLambdaPm},
    {"Mo Kα1", 70.930f},
    {"Co Kα1", 178.897f},
    {"Cr Kα1", 228.970f},
}};

}  // namespace kb
