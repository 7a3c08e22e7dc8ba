#include "unknown_crystal.h"
#include "model/catalogue.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "reflex_table.h"

namespace kb {
namespace {

// The draw: whole tenths of a picometre and of a degree.
constexpr int kMinLatticeTenthsPm = 2500;   // 250.0 pm
constexpr int kMaxLatticeTenthsPm = 6500;   // 650.0 pm
constexpr int kMinObliqueTenthsDeg = 901;   // 90.1 degrees
constexpr int kMaxObliqueTenthsDeg = 1200;  // 120.0 degrees
constexpr int kRightAngleTenthsDeg = 900;

// What a student indexes: the first ten distinct peaks, below 150 degrees,
// at least three diffractogram bins apart so that each is a peak of its own.
constexpr int kIndexedPeaks = 10;
constexpr double kMaxIndexedTwoThetaDeg = 150.0;
constexpr double kMinPeakGapDeg = 0.9;
// Reflections whose 2Theta agree this closely are one peak, degrees.
constexpr double kSamePeakDeg = 1e-6;
// Room for the rounding of double arithmetic in the reduction test, relative.
constexpr double kReducedSlack = 1e-9;

// Neighbouring seats must not be able to copy: at least this far apart in a
// or b (relative) or in gamma.
constexpr double kNeighbourLatticeDifference = 0.05;
constexpr int kNeighbourGammaTenthsDeg = 50;

constexpr int kSolutionPeaks = 5;

// FNV-1a, 64 bit: spreads the code's letters over the whole word.
constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t Fnv1a(std::uint64_t hash, unsigned char byte)
{
    return (hash ^ byte) * kFnvPrime;
}

std::uint64_t Fnv1a(std::uint64_t hash, std::string_view text)
{
    for (const char c : text) {
        hash = Fnv1a(hash, static_cast<unsigned char>(c));
    }
    return hash;
}

// splitmix64: a stream of well-mixed words from one seed, the same on every
// platform; `state` advances by the golden-ratio increment.
std::uint64_t SplitMix64(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A whole number from low to high, both included. The modulo bias is below
// one part in 10^15 for these ranges.
int Draw(std::uint64_t& state, int low, int high)
{
    const auto span = static_cast<std::uint64_t>(high - low + 1);
    return low + static_cast<int>(SplitMix64(state) % span);
}

// The seed of one seat's stream. The level and the seat go in after a
// separator byte, so no code can imitate another code's seat.
std::uint64_t SeatSeed(std::string_view code, int seat, LabLevel level)
{
    std::uint64_t hash = Fnv1a(kFnvOffset, code);
    hash = Fnv1a(hash, static_cast<unsigned char>(0));
    hash = Fnv1a(hash, static_cast<unsigned char>(seat));
    return Fnv1a(hash, level == LabLevel::Oblique ? 'S' : 'R');
}

struct TenthsCell {
    int a = 0;      // tenths of a pm
    int b = 0;      // tenths of a pm
    int gamma = 0;  // tenths of a degree

    CrystalParams Crystal() const
    {
        return {static_cast<float>(a / 10.0), static_cast<float>(b / 10.0), static_cast<float>(gamma / 10.0),
                kLabLambdaPm};
    }

    // What Typed gives for Crystal(): a short decimal read as a double is
    // the tenths divided by ten, without the decimal round trips.
    TypedCrystal Typed() const
    {
        static const double lambda = AsTyped(kLabLambdaPm);
        const double gammaRad = gamma / 10.0 * std::numbers::pi / 180.0;
        return {a / 10.0, b / 10.0, gammaRad, lambda, std::sin(gammaRad), std::cos(gammaRad)};
    }
};

// One candidate, with a <= b; whether it is reduced is left to the check,
// since reducing a drawn cell would leave the grid of tenths.
TenthsCell DrawCell(std::uint64_t& state, LabLevel level)
{
    TenthsCell cell;
    cell.a = Draw(state, kMinLatticeTenthsPm, kMaxLatticeTenthsPm);
    cell.b = Draw(state, kMinLatticeTenthsPm, kMaxLatticeTenthsPm);
    cell.gamma = level == LabLevel::Oblique ? Draw(state, kMinObliqueTenthsDeg, kMaxObliqueTenthsDeg)
                                            : kRightAngleTenthsDeg;
    if (cell.b < cell.a) {
        std::swap(cell.a, cell.b);
    }
    return cell;
}

bool FarApart(int x, int y)
{
    return std::abs(x - y) >= kNeighbourLatticeDifference * std::max(x, y);
}

bool Differ(const TenthsCell& cell, const TenthsCell& neighbour)
{
    return FarApart(cell.a, neighbour.a) || FarApart(cell.b, neighbour.b) ||
           std::abs(cell.gamma - neighbour.gamma) >= kNeighbourGammaTenthsDeg;
}

bool Within(double value, float low, float high)
{
    return value >= low && value <= high;
}

// The cell in the form the answer is unique in: a <= b, and an oblique cell
// with the obtuse angle and b's shadow on a at most a / 2.
bool IsReduced(const CrystalParams& crystal, const TypedCrystal& typed, LabLevel level)
{
    if (!(typed.a <= typed.b)) {
        return false;
    }
    if (level == LabLevel::Rectangular) {
        return crystal.GammaDeg == 90.0f;
    }
    return crystal.GammaDeg > 90.0f && crystal.GammaDeg <= 120.0f &&
           typed.b * std::fabs(typed.cosGamma) <= typed.a / 2.0 * (1.0 + kReducedSlack);
}

std::vector<double> PeaksOf(const CrystalParams& crystal, const TypedCrystal& typed, std::size_t* reflexCount)
{
    SimState probe;
    probe.Crystal = crystal;
    SetCrystalConstants(probe);
    std::vector<double> twoThetas;
    for (const ReachableReflex& r : ReachableReflexes(probe, typed)) {
        twoThetas.push_back(r.TwoThetaDeg);
    }
    if (reflexCount != nullptr) {
        *reflexCount = twoThetas.size();
    }
    return DistinctAngles(std::move(twoThetas));
}

bool IsSolvable(const CrystalParams& crystal, const TypedCrystal& typed, LabLevel level)
{
    // The ranges of the crystal dialog; the count is that of its check too.
    if (!Within(typed.a, kMinLatticePm, kMaxLatticePm) || !Within(typed.b, kMinLatticePm, kMaxLatticePm) ||
        !Within(crystal.GammaDeg, kMinGammaDeg, kMaxGammaDeg) ||
        !Within(typed.lambda, kMinLambdaPm, kMaxLambdaPm) || !IsReduced(crystal, typed, level)) {
        return false;
    }
    std::size_t reflexCount = 0;
    const std::vector<double> peaks = PeaksOf(crystal, typed, &reflexCount);
    if (reflexCount > static_cast<std::size_t>(kMaxReflexCount) ||
        peaks.size() < static_cast<std::size_t>(kIndexedPeaks) ||
        !(peaks[kIndexedPeaks - 1] < kMaxIndexedTwoThetaDeg)) {
        return false;
    }
    for (int i = 1; i < kIndexedPeaks; ++i) {
        if (peaks[static_cast<std::size_t>(i)] - peaks[static_cast<std::size_t>(i - 1)] < kMinPeakGapDeg) {
            return false;
        }
    }
    return true;
}

// A positive value with `decimals` digits after `separator`, rounded half
// to even: "312,4", "19,77". Not the C library's locale, which would let the
// environment choose the separator.
std::string Fixed(double value, int decimals, std::string_view separator)
{
    int scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const int scaled = RoundHalfEven(value * scale);
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    return std::to_string(scaled / scale) + std::string(separator) + fraction;
}

}  // namespace

std::string NewClassCode(std::uint64_t entropy)
{
    std::uint64_t state = entropy;
    std::uint64_t word = SplitMix64(state);
    std::string code;
    for (int i = 0; i < kClassCodeLength; ++i) {
        code += kClassCodeAlphabet[word % kClassCodeAlphabet.size()];
        word /= kClassCodeAlphabet.size();
    }
    return code;
}

std::optional<std::string> NormaliseClassCode(std::string_view typed)
{
    std::string code;
    for (const char c : typed) {
        if (c == ' ' || c == '-') {
            continue;
        }
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (kClassCodeAlphabet.find(upper) == std::string_view::npos) {
            return std::nullopt;
        }
        code += upper;
    }
    if (code.size() != static_cast<std::size_t>(kClassCodeLength)) {
        return std::nullopt;
    }
    return code;
}

std::string TeacherKey(std::string_view code)
{
    // A fixed mix of its own, apart from the seats' streams: the crystals
    // tell nothing about the key. ASCII, so that no compiler's source
    // encoding can change it.
    std::uint64_t state = Fnv1a(Fnv1a(kFnvOffset, "Schluessel"), code);
    SplitMix64(state);
    return NewClassCode(SplitMix64(state));
}

bool IsTeacherKey(std::string_view code, std::string_view typedKey)
{
    const std::optional<std::string> normalCode = NormaliseClassCode(code);
    const std::optional<std::string> key = NormaliseClassCode(typedKey);
    return normalCode && key && *key == TeacherKey(*normalCode);
}

std::vector<SeatCrystal> SeatCrystals(std::string_view typedCode, LabLevel level, int lastSeat)
{
    // "k7m-x4p" is K7MX4P: both front ends pass what was typed.
    const std::string code = NormaliseClassCode(typedCode).value_or(std::string(typedCode));
    std::vector<SeatCrystal> seats;
    TenthsCell previous;
    for (int seat = kLabFirstSeat; seat <= lastSeat; ++seat) {
        std::uint64_t state = SeatSeed(code, seat, level);
        SeatCrystal drawn;
        // On average 2.6 candidates for a rectangular crystal and 6 for an
        // oblique one (20 000 seats), so the loop ends after a few rounds.
        for (;;) {
            const TenthsCell cell = DrawCell(state, level);
            ++drawn.candidates;
            const CrystalParams crystal = cell.Crystal();
            if ((seat == kLabFirstSeat || Differ(cell, previous)) &&
                IsSolvable(crystal, cell.Typed(), level)) {
                drawn.crystal = crystal;
                previous = cell;
                break;
            }
        }
        seats.push_back(drawn);
    }
    return seats;
}

CrystalParams UnknownCrystal(std::string_view code, int seat, LabLevel level)
{
    return SeatCrystals(code, level, std::clamp(seat, kLabFirstSeat, kLabLastSeat)).back().crystal;
}

std::vector<double> DistinctAngles(std::vector<double> twoThetasDeg)
{
    std::sort(twoThetasDeg.begin(), twoThetasDeg.end());
    std::vector<double> peaks;
    for (const double t : twoThetasDeg) {
        if (peaks.empty() || t - peaks.back() > kSamePeakDeg) {
            peaks.push_back(t);
        }
    }
    return peaks;
}

std::vector<double> DistinctPeaks(const CrystalParams& crystal)
{
    return PeaksOf(crystal, Typed(crystal), nullptr);
}

bool IsSolvableLabCrystal(const CrystalParams& crystal, LabLevel level)
{
    return IsSolvable(crystal, Typed(crystal), level);
}

std::string SolutionTable(std::string_view code, std::string_view decimalSeparator)
{
    std::string table = TrArgs("core", "Lösungen zum Klassencode %1 (λ = %2 pm)",
                               {NormaliseClassCode(code).value_or(std::string(code)),
                                Fixed(AsTyped(kLabLambdaPm), 3, decimalSeparator)}) +
                        "\n";
    for (const LabLevel level : {LabLevel::Rectangular, LabLevel::Oblique}) {
        table += "\n" + Tr("core", level == LabLevel::Rectangular ? "rechtwinklig" : "schiefwinklig") + "\n";
        const std::vector<SeatCrystal> seats = SeatCrystals(code, level, kLabLastSeat);
        for (std::size_t i = 0; i < seats.size(); ++i) {
            const CrystalParams& c = seats[i].crystal;
            table += TrArgs("core", "Platz %1", {std::to_string(kLabFirstSeat + static_cast<int>(i))}) +
                     ": a = " + Fixed(AsTyped(c.LatticeA), 1, decimalSeparator) +
                     " pm, b = " + Fixed(AsTyped(c.LatticeB), 1, decimalSeparator) +
                     " pm, γ = " + Fixed(AsTyped(c.GammaDeg), 1, decimalSeparator) + "°; 2Θ =";
            const std::vector<double> peaks = DistinctPeaks(c);
            for (std::size_t p = 0; p < peaks.size() && p < static_cast<std::size_t>(kSolutionPeaks); ++p) {
                table += " " + Fixed(peaks[p], 2, decimalSeparator) + "°";
            }
            table += '\n';
        }
    }
    return table;
}

}  // namespace kb
