#include "experiments.h"

#include <array>

#include "model/catalogue.h"

namespace kb {
namespace {

using E = ExtraStep;

constexpr std::array<FeatureCode, 0> kCodesMinus1{};
constexpr std::array<FeatureCode, 35> kCodes0{0,  1,  2,  3,  4,  9,  5,  6,  8,  7,  12, 10,
                                              11, 13, 20, 14, 17, 16, 19, 23, 24, 25, 26, 27,
                                              28, 29, 30, 31, 37, 34, 35, 36, 38, 39, 40};
constexpr std::array<FeatureCode, 8> kCodes1{0, 2, 9, 6, 8, 19, 37, 36};
constexpr std::array<FeatureCode, 16> kCodes2{0, 1, 2, 3, 4, 9, 5, 6, 8, 7, 12, 10, 11, 19, 32, 40};
constexpr std::array<FeatureCode, 20> kCodes3{0,  1,  2,  3,  4,  9,  5,  6,  8,  7,
                                              12, 10, 11, 19, 32, 37, 34, 38, 39, 40};
constexpr std::array<FeatureCode, 21> kCodes4{0,  1,  2,  3,  4,  9,  5,  6,  8,  7, 12,
                                              10, 11, 13, 19, 37, 35, 36, 38, 39, 40};
constexpr std::array<FeatureCode, 17> kCodes5{0, 1, 2, 3, 4, 9, 5, 6, 8, 7, 12, 10, 11, 19, 24, 25, 40};
constexpr std::array<FeatureCode, 19> kCodes6{0,  1,  2,  3,  4,  9,  5,  6,  8, 7,
                                              12, 10, 11, 14, 19, 24, 25, 26, 40};
constexpr std::array<FeatureCode, 20> kCodes7{0,  1,  2,  3,  4,  9,  5,  6,  8,  7,
                                              12, 10, 11, 14, 19, 22, 24, 26, 31, 40};
constexpr std::array<FeatureCode, 20> kCodes8{0,  1,  2,  3,  4,  9,  5,  6,  8,  7,
                                              12, 10, 11, 14, 22, 24, 26, 25, 31, 32};
constexpr std::array<FeatureCode, 22> kCodes9{0,  1,  2,  3,  4,  9,  5,  6,  8,  7,  12,
                                              10, 11, 14, 17, 16, 22, 24, 26, 25, 31, 33};
constexpr std::array<FeatureCode, 21> kCodes10{0,  1,  2,  3,  4,  9,  6,  8,  12, 10, 11,
                                               14, 17, 19, 21, 24, 26, 29, 30, 31, 40};
constexpr std::array<FeatureCode, 22> kCodes11{0,  1,  2,  3,  4,  9,  6,  8,  12, 10, 14,
                                               17, 16, 19, 21, 24, 26, 29, 30, 27, 28, 31};
constexpr std::array<FeatureCode, 27> kCodes12{0,  1,  2,  3,  4,  9,  6,  8,  12, 10, 14, 17, 19, 32,
                                               21, 24, 26, 29, 27, 28, 31, 40, 37, 34, 38, 39, 35};
constexpr std::array<FeatureCode, 28> kCodes13{0,  1,  2,  3,  4,  9,  6,  8,  12, 10, 36, 13, 20, 14,
                                               17, 19, 32, 23, 24, 26, 29, 27, 28, 31, 40, 37, 38, 39};
constexpr std::array<FeatureCode, 28> kCodes14{0,  1,  2,  3,  4,  9,  6,  8,  12, 10, 36, 13, 41, 14,
                                               17, 19, 32, 22, 24, 26, 29, 27, 28, 31, 40, 37, 38, 39};

constexpr std::array<ExtraStep, 0> kNoExtras{};
constexpr std::array<ExtraStep, 1> kGround{E::GroundPosition};
constexpr std::array<ExtraStep, 2> kGroundAndClear{E::GroundPosition, E::ClearDiffractogram};
constexpr std::array<ExtraStep, 2> kUnsetMarksAndColour{E::UnsetAllMarks, E::BeamColour};
constexpr std::array<ExtraStep, 2> kUnsetMarksBut100AndColour{E::UnsetAllMarksBut100, E::BeamColour};

constexpr std::array<Experiment, 16> kCatalogue{{
    {-1, "Alle Optionen inaktiv", kCodesMinus1, kNoExtras},
    {0, "Alle Optionen aktiv", kCodes0, kNoExtras},
    {1, "Kristallgitter", kCodes1, kNoExtras},
    {2, "Gitter mit Netzebenen", kCodes2, kNoExtras},
    {3, "Winkel-Definitionen, Beugungsordnung und Bragg'sche Gleichung", kCodes3, kNoExtras},
    {4, "Diffraktogramm", kCodes4, kGroundAndClear},
    {5, "Streuvektor", kCodes5, kNoExtras},
    {6, "Streuvektor (anderer Ursprung)", kCodes6, kNoExtras},
    {7, "Die Menge der Streuvektoren", kCodes7, kGround},
    {8, "Reflex 100 im direkten und im reziproken Gitter", kCodes8, kUnsetMarksAndColour},
    {9, "Winkel im reziproken Gitter", kCodes9, kUnsetMarksBut100AndColour},
    {10, "Absolute Positionen der Streuvektoren", kCodes10, kNoExtras},
    {11, "EwaldKreis", kCodes11, kGround},
    {12, "Ewald-Konstruktion des Beugungswinkels", kCodes12, kGround},
    {13, "Reziprokes Gitter und Ewaldkreis", kCodes13, kGroundAndClear},
    {14, "Unbekannter Kristall", kCodes14, kGroundAndClear},
}};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> ParseHex(std::string_view digits)
{
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int d = HexValue(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

std::span<const Experiment> ExperimentCatalogue()
{
    return kCatalogue;
}

const Experiment* FindExperiment(int number)
{
    for (const Experiment& e : kCatalogue) {
        if (e.number == number) {
            return &e;
        }
    }
    return nullptr;
}

std::string ExperimentMenuText(const Experiment& experiment)
{
    const int number = experiment.number;
    const std::string digits = std::to_string(number < 0 ? -number : number);
    return (number < 0 ? "\u2212" : "") + digits + ": " + Tr("core", experiment.title);
}

std::optional<std::int32_t> ParseExperimentNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    std::string_view rest = text.substr(i);
    if (rest.starts_with("0x") || rest.starts_with("0X")) {
        return ParseHex(rest.substr(2));
    }
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        return ParseHex(rest.substr(1));
    }
    bool negative = false;
    if (rest.starts_with('+') || rest.starts_with('-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : rest) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > 2147483647LL || value < -2147483648LL) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace kb
