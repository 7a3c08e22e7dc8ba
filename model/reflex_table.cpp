#include "reflex_table.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
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
    float phi = Single(std::acos(static_cast<double>(c)));
    if (h < 0) {
        phi = Single(kTwoPi - phi);
    }
    return phi;
}

}  // namespace

void BuildReflexTable(SimState& s)
{
    s.HMax = RoundHalfEven(2.0 / s.AStar);
    s.KMax = RoundHalfEven(2.0 / s.BStar);
    s.ReflexCount = 0;
    const double a = s.AStar;
    const double b = s.BStar;
    for (int k = -s.KMax; k <= s.KMax; ++k) {
        for (int h = -s.HMax; h <= s.HMax; ++h) {
            if (h == 0 && k == 0) {
                continue;
            }
            if (s.ReflexCount >= kReflexCapacity) {
                continue;
            }
            const int n = OrderOf(h, k);
            const float sinTheta =
                Single(std::sqrt((h * a) * (h * a) + (k * b) * (k * b) -
                                 (2.0 * h * k) * a * b * static_cast<double>(s.CosGamma)) /
                       2.0);
            if (sinTheta >= 1.0f) {
                continue;
            }
            const int i = s.ReflexCount;
            Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
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
            s.ReflexCount = i + 1;
        }
    }
    BuildSweepOrder(s);
}

void BuildSweepOrder(SimState& s)
{
    const int count = s.ReflexCount;
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
                s.ReflexTable[static_cast<std::size_t>(s.SweepOrder[static_cast<std::size_t>(r)])]
                    .OmegaBragg;
            if (omega < m) {
                m = omega;
                q = r;
            }
        }
        std::swap(s.SweepOrder[static_cast<std::size_t>(p)], s.SweepOrder[static_cast<std::size_t>(q)]);
    }
}

}  // namespace kb
