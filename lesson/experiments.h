#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "feature_codes.h"

namespace kb {

enum class ExtraStep {
    GroundPosition,      // ResetToGroundPosition
    ClearDiffractogram,  // with its own scene pass
    UnsetAllMarks,
    UnsetAllMarksBut100,  // the mark of (1 0 0) is kept
    BeamColour,           // dark red, the colour of the exact Bragg position
};

struct Experiment {
    int number;
    std::string_view title;
    std::span<const FeatureCode> codes;
    std::span<const ExtraStep> extras;
};

inline constexpr int kLowestExperiment = -1;
inline constexpr int kHighestExperiment = 14;  // also the spinner's maximum

// The title of the experiment messages.
inline constexpr const char* kExperimentMessageTitle = "Kristallbeugung";

// Every lesson from -1 to 14, in number order.
std::span<const Experiment> ExperimentCatalogue();
const Experiment* FindExperiment(int number);
// A lesson as a list offers it: "12: Ewald-Konstruktion des Beugungswinkels",
// a negative number with the minus sign "−1".
std::string ExperimentMenuText(const Experiment& experiment);

// Reads an experiment number: leading spaces, then an optional sign and
// decimal digits, or a hexadecimal number after "$", "x", "X", "0x" or "0X"
// taken as a signed 32-bit pattern. Nothing may follow the digits.
std::optional<std::int32_t> ParseExperimentNumber(std::string_view text);

}  // namespace kb
