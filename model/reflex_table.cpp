#include "reflex_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <numeric>
#include <utility>

namespace kb {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr float kPiSingle = 3.1415927f;  // the direction of -b*, taken as a single
constexpr float kSortSentinel = 999999.0f;

int OrderOf(int h, int k)
{
    int n = std::max(std::abs(h), std::abs(k));
    while (!(h == n * (h / n) && k == n * (k / n))) {
        --n;
    }
    return n;
}

// Direction of h a* + k b*, measured from +b* towards a*, in [0, 2 pi).
float DirectionAngle(const SimState& s, int h, int k)
{
    const double a = s.AStar;
    const double b = s.BStar;
    if (h == 0) {
        return k > 0 ? 0.0f : kPiSingle;
    }
    if (k == 0) {
        return h > 0 ? s.GammaStar : Single(kPi + s.GammaStar);
    }
    const float g = Single(std::sqrt((h * a) * (h * a) + (k * b) * (k * b) -
                                     (h * 2 * a) * k * b * static_cast<double>(s.CosGamma)));
    const double gd = g;
    const float c = Single((gd * gd + (k * b) * (k * b) - (h * a) * (h * a)) / (k * 2 * b * gd));
    // h != 0 keeps the vector off b*, so c stays clear of +-1; the clamp only
    // guards acos against rounding.
    float phi = Single(std::acos(std::clamp(static_cast<double>(c), -1.0, 1.0)));
    if (h < 0) {
        phi = Single(kTwoPi - phi);
    }
    return phi;
}

// sin(theta) of (h k 0): half the length of h a* + k b* in units of 1 / Lambda.
float SinTheta(const SimState& s, int h, int k)
{
    const double a = s.AStar;
    const double b = s.BStar;
    return Single(std::sqrt((h * a) * (h * a) + (k * b) * (k * b) -
                            (2.0 * h * k) * a * b * static_cast<double>(s.CosGamma)) /
                  2.0);
}

// Reflection needs |h a* + k b*| < 2. The part of h a* across b*,
// |h| AStar SinGammaStar, bounds h whatever k is, and likewise for k; Round(2 /
// AStar) alone falls short for wide angles. The larger of the two keeps the
// bounds 4 and 5 of the standard crystal.
int EnumerationBound(float star, float sinGammaStar)
{
    // A hair of slack against the rounding of the single-precision constants.
    constexpr double kSlack = 1e-4;
    const int across =
        static_cast<int>(std::floor(2.0 / (static_cast<double>(star) * sinGammaStar) + kSlack));
    return std::max(RoundHalfEven(2.0 / star), across);
}

// sin(theta) of (h k 0) from the spacing of the direct lattice:
// 1 / d^2 = (h^2 / a^2 + k^2 / b^2 - 2 h k cos(gamma) / (a b)) / sin^2(gamma).
double ExactSinTheta(const TypedCrystal& c, int h, int k)
{
    const double inverseSquare =
        (h * h / (c.a * c.a) + k * k / (c.b * c.b) - 2.0 * h * k * c.cosGamma / (c.a * c.b)) /
        (c.sinGamma * c.sinGamma);
    return c.lambda * std::sqrt(inverseSquare) / 2.0;
}

bool AtBraggLimit(double sinTheta)
{
    return std::fabs(sinTheta - 1.0) <= kBraggLimitTolerance;
}

// Every pair (h, k) that can reach Bragg position, k in the outer loop. The
// verdict is the exact one; the single-precision sin(theta) is what the
// picture works with.
template <typename Visit>
void ForEachReachablePair(const SimState& s, const TypedCrystal& typed, int hMax, int kMax, Visit visit)
{
    for (int k = -kMax; k <= kMax; ++k) {
        for (int h = -hMax; h <= hMax; ++h) {
            if (h == 0 && k == 0) {
                continue;
            }
            const double exact = ExactSinTheta(typed, h, k);
            if (exact > 1.0 + kBraggLimitTolerance) {
                continue;
            }
            visit(h, k, AtBraggLimit(exact) ? 1.0f : std::min(SinTheta(s, h, k), 1.0f));
        }
    }
}

}  // namespace

TypedCrystal Typed(const CrystalParams& crystal)
{
    const double gammaRad = AsTyped(crystal.GammaDeg) * kPi / 180.0;
    return {AsTyped(crystal.LatticeA), AsTyped(crystal.LatticeB), gammaRad,
            AsTyped(crystal.Lambda),   std::sin(gammaRad),        std::cos(gammaRad)};
}

ExactReflex ComputeExactReflex(const CrystalParams& crystal, int h, int k)
{
    const TypedCrystal typed = Typed(crystal);
    ExactReflex r;
    r.SinTheta = ExactSinTheta(typed, h, k);
    if (AtBraggLimit(r.SinTheta)) {
        r.SinTheta = 1.0;
    }
    const double theta = std::asin(std::min(r.SinTheta, 1.0));
    // Divided by pi first, so that theta = pi / 2 gives exactly 90.
    r.ThetaDeg = theta / kPi * 180.0;
    // Direction of h a* + k b* from +b* towards a*; a* lies gamma* = pi - gamma
    // from b*, and the common factor 1 / sin(gamma) drops out of the angle.
    double phi = std::atan2(h * std::sin(typed.gammaRad) / typed.a,
                            k / typed.b - h * std::cos(typed.gammaRad) / typed.a);
    if (phi < 0.0) {
        phi += kTwoPi;
    }
    r.OmegaBraggDeg = (phi + theta) / kPi * 180.0;
    if (r.OmegaBraggDeg > 360.0) {
        r.OmegaBraggDeg -= 360.0;
    }
    r.FictiveSpacingPm = typed.lambda / (2.0 * r.SinTheta);
    r.PlaneSpacingPm = r.FictiveSpacingPm * std::gcd(h, k);
    return r;
}

void BuildReflexTable(SimState& s)
{
    s.HMax = EnumerationBound(s.AStar, s.SinGammaStar);
    s.KMax = EnumerationBound(s.BStar, s.SinGammaStar);
    s.Reflex10Index = -1;
    s.Reflex01Index = -1;
    std::size_t count = 0;
    ForEachReachablePair(s, Typed(s.Crystal), s.HMax, s.KMax, [&](int h, int k, float sinTheta) {
        if (count == s.ReflexTable.size()) {
            s.ReflexTable.emplace_back();
        }
        const int i = static_cast<int>(count);
        Reflex& r = s.ReflexTable[count++];
        const int n = OrderOf(h, k);
        r.H = h;
        r.K = k;
        r.PlaneH = h / n;
        r.PlaneK = k / n;
        r.Order = n;
        r.Theta = Single(std::asin(static_cast<double>(sinTheta)));
        const float phi = DirectionAngle(s, h, k);
        r.OmegaBragg = Single(static_cast<double>(phi) + r.Theta);
        if (r.OmegaBragg > kTwoPi) {
            r.OmegaBragg = Single(r.OmegaBragg - kTwoPi);
        }
        if (h == 1 && k == 0) {
            s.Reflex10Index = i;
        }
        if (h == 0 && k == 1) {
            s.Reflex01Index = i;
        }
    });
    s.ReflexTable.resize(count);
    s.ReflexCount = static_cast<int>(count);
    BuildSweepOrder(s);
}

int CountReflexes(const SimState& s)
{
    int count = 0;
    ForEachReachablePair(s, Typed(s.Crystal), EnumerationBound(s.AStar, s.SinGammaStar),
                         EnumerationBound(s.BStar, s.SinGammaStar), [&](int, int, float) { ++count; });
    return count;
}

std::vector<ReachableReflex> ReachableReflexes(const SimState& s)
{
    return ReachableReflexes(s, Typed(s.Crystal));
}

std::vector<ReachableReflex> ReachableReflexes(const SimState& s, const TypedCrystal& typed)
{
    std::vector<ReachableReflex> reflexes;
    ForEachReachablePair(s, typed, EnumerationBound(s.AStar, s.SinGammaStar),
                         EnumerationBound(s.BStar, s.SinGammaStar), [&](int h, int k, float) {
                             const double sinTheta = ExactSinTheta(typed, h, k);
                             const double theta = AtBraggLimit(sinTheta) ? kPi / 2.0 : std::asin(sinTheta);
                             // As ComputeExactReflex: divided by pi first, so that backscatter is exactly
                             // 180.
                             reflexes.push_back({h, k, 2.0 * (theta / kPi * 180.0)});
                         });
    return reflexes;
}

void BuildSweepOrder(SimState& s)
{
    const int count = s.ReflexCount;
    s.SweepOrder.resize(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) {
        s.SweepOrder[static_cast<std::size_t>(p)] = p;
    }
    // Selection sort with a strict comparison: among equal angles the entry
    // found first keeps its place.
    for (int p = 0; p + 1 < count; ++p) {
        float m = kSortSentinel;
        int q = p;
        for (int r = p; r < count; ++r) {
            const float omega =
                s.ReflexTable[static_cast<std::size_t>(s.SweepOrder[static_cast<std::size_t>(r)])].OmegaBragg;
            if (omega < m) {
                m = omega;
                q = r;
            }
        }
        std::swap(s.SweepOrder[static_cast<std::size_t>(p)], s.SweepOrder[static_cast<std::size_t>(q)]);
    }
}

}  // namespace kb
