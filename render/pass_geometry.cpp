#include "pass_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kb {
namespace {

constexpr int kStandardIMax = 4;
constexpr int kStandardJMax = 3;

// Half the longer diagonal of the drawn parallelogram: the radius it sweeps.
double SweepRadius(double a, double b, double gammaDeg, int iMax, int jMax)
{
    const double u = iMax * a;
    const double v = jMax * b;
    const double cosGamma = std::cos(gammaDeg * std::numbers::pi / 180.0);
    return std::sqrt(u * u + v * v + 2.0 * u * v * std::fabs(cosGamma));
}

double BlockArea(double a, double b, double gammaDeg, int iMax, int jMax)
{
    return 4.0 * iMax * a * jMax * b * std::sin(gammaDeg * std::numbers::pi / 180.0);
}

}  // namespace

LatticeFit FitDirectLattice(const CrystalParams& crystal)
{
    const double a = crystal.LatticeA;
    const double b = crystal.LatticeB;
    const double gamma = crystal.GammaDeg;
    const double reach = SweepRadius(kLatticeAPm, kLatticeBPm, kGammaDeg, kStandardIMax, kStandardJMax);
    const double area = BlockArea(kLatticeAPm, kLatticeBPm, kGammaDeg, kStandardIMax, kStandardJMax);
    const double shape = (kStandardIMax * static_cast<double>(kLatticeAPm)) / (kStandardJMax * kLatticeBPm);
    // Of the blocks that stay within the standard's circle, the one closest to
    // its area and proportions; the standard block itself scores 0.
    LatticeFit best{1, 1};
    double bestScore = std::numeric_limits<double>::infinity();
    const int iLimit = std::max(1, static_cast<int>(reach / a));
    const int jLimit = std::max(1, static_cast<int>(reach / b));
    for (int i = 1; i <= iLimit; ++i) {
        for (int j = 1; j <= jLimit; ++j) {
            if (SweepRadius(a, b, gamma, i, j) > reach) {
                continue;
            }
            const double areaError = std::log(BlockArea(a, b, gamma, i, j) / area);
            const double shapeError = std::log(i * a / (j * b) / shape);
            const double score = areaError * areaError + shapeError * shapeError;
            if (score < bestScore) {
                bestScore = score;
                best = LatticeFit{i, j};
            }
        }
    }
    return best;
}

int SceneWidthPx(int viewWidthPx, int viewHeightPx)
{
    const int baseY = viewHeightPx - kBaseYMarginPx;
    const double fitting = std::floor(static_cast<double>(baseY) * kWorldWidth / kSceneTopWorld);
    return fitting < viewWidthPx ? std::max(1, static_cast<int>(fitting)) : viewWidthPx;
}

PassGeometry ComputePassGeometry(SimState& s, int viewWidthPx, int viewHeightPx)
{
    PassGeometry g;
    const LatticeFit fit = FitDirectLattice(s.Crystal);
    s.LatticeIMin = -fit.IMax;
    s.LatticeIMax = fit.IMax;
    s.LatticeJMin = -fit.JMax;
    s.LatticeJMax = fit.JMax;
    s.ViewWidth = static_cast<float>(viewWidthPx);
    s.ViewHeight = static_cast<float>(viewHeightPx);
    s.BaseY = RoundHalfEven(s.ViewHeight) - kBaseYMarginPx;
    const int sceneWidth = SceneWidthPx(viewWidthPx, viewHeightPx);
    g.SceneLeftPx = (viewWidthPx - sceneWidth) / 2;
    s.ViewScale = Single(static_cast<double>(sceneWidth) / kWorldWidth);
    s.InverseScale = Single(1.0 / s.ViewScale);
    s.VF = Single(static_cast<double>(kEwaldRadiusWorld) * s.ViewScale);

    s.CrystalCentre = kCrystalCentre;
    s.CrystalPixel = MakePoint(Single(static_cast<double>(s.CrystalCentre.x) * s.ViewScale),
                               Single(static_cast<double>(s.CrystalCentre.y) * s.ViewScale));
    s.ReciprocalOrigin = MakePoint(Single(static_cast<double>(s.CrystalPixel.x) + s.VF), s.CrystalPixel.y);
    // The beam comes in from the drawing area's left edge, also where the scene is centred.
    g.PrimaryStart =
        MakePoint(Single(-g.SceneLeftPx * static_cast<double>(s.InverseScale)), s.CrystalCentre.y);
    g.PrimaryEnd = MakePoint(kPrimaryEndX, s.CrystalCentre.y);
    g.BeamAxisPoint = MakePoint(kPrimaryEndX, 0.0f);

    s.SinOmega = Single(std::sin(static_cast<double>(s.Omega)));
    s.CosOmega = Single(std::cos(static_cast<double>(s.Omega)));
    g.TwoVF = Single(2.0 * s.VF);
    g.OmegaPoint = MakePoint(Single(static_cast<double>(kOmegaRayLength) * s.CosOmega),
                             Single(static_cast<double>(kOmegaRayLength) * s.SinOmega));

    if (s.ActiveReflex < 0 || s.ActiveReflex >= s.ReflexCount) {
        return g;
    }
    const Reflex& r = s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)];
    g.HasReflex = true;
    g.H = static_cast<float>(r.H);
    g.K = static_cast<float>(r.K);
    g.PlaneH = static_cast<float>(r.PlaneH);
    g.PlaneK = static_cast<float>(r.PlaneK);
    g.Order = static_cast<float>(r.Order);
    g.Theta = r.Theta;
    g.TwoTheta = Single(2.0 * g.Theta);
    g.TwoThetaDeg = Single(static_cast<double>(g.TwoTheta) * kRadToDegExact);
    g.ScatterAngle = Single(static_cast<double>(g.Theta) + std::numbers::pi / 2.0);
    g.SinTheta = Single(std::sin(static_cast<double>(g.Theta)));
    g.CosTheta = Single(std::cos(static_cast<double>(g.Theta)));
    g.SinTwoTheta = Single(std::sin(static_cast<double>(g.TwoTheta)));
    g.CosTwoTheta = Single(std::cos(static_cast<double>(g.TwoTheta)));
    g.FictiveSpacing = Single(static_cast<double>(s.Lambda) / (2.0 * g.SinTheta));
    g.PlaneSpacing = Single(static_cast<double>(g.FictiveSpacing) * g.Order);
    s.ScatterLength = Single(static_cast<double>(s.VF) * s.Lambda / g.FictiveSpacing);
    g.ThetaPoint = MakePoint(Single(static_cast<double>(kThetaRayLength) * g.CosTheta),
                             Single(static_cast<double>(kThetaRayLength) * g.SinTheta));
    g.SourcePixel = MakePoint(0.0f, s.CrystalPixel.y);
    g.BackThetaPixel =
        MakePoint(Single(static_cast<double>(s.CrystalPixel.x) - static_cast<double>(g.TwoVF) * g.CosTheta),
                  Single(static_cast<double>(s.CrystalPixel.y) - static_cast<double>(g.TwoVF) * g.SinTheta));
    return g;
}

Point ToPixels(const SimState& s, const Point& world)
{
    return MakePoint(Single(static_cast<double>(world.x) * s.ViewScale),
                     Single(static_cast<double>(world.y) * s.ViewScale));
}

Point BeamToPixels(const SimState& s, const Point& beam)
{
    const float x = Single(static_cast<double>(beam.x) + s.CrystalCentre.x);
    const float y = Single(static_cast<double>(beam.y) + s.CrystalCentre.y);
    return MakePoint(Single(static_cast<double>(x) * s.ViewScale),
                     Single(static_cast<double>(y) * s.ViewScale));
}

Point LatticeToPixels(const SimState& s, const Point& lattice)
{
    const float p = Single(static_cast<double>(lattice.x) * s.LatticeA);
    const float q = Single(static_cast<double>(lattice.y) * s.LatticeB);
    const float u = Single(static_cast<double>(q) * s.CosGamma + p);
    const float v = Single(static_cast<double>(q) * s.SinGamma);
    const float ur = Single(static_cast<double>(u) * s.CosOmega - static_cast<double>(v) * s.SinOmega);
    const float vr = Single(static_cast<double>(u) * s.SinOmega + static_cast<double>(v) * s.CosOmega);
    const float x = Single(static_cast<double>(ur) + s.CrystalCentre.x);
    const float y = Single(static_cast<double>(vr) + s.CrystalCentre.y);
    return MakePoint(Single(static_cast<double>(x) * s.ViewScale),
                     Single(static_cast<double>(y) * s.ViewScale));
}

Point ReciprocalToPixels(const SimState& s, const Point& reciprocal)
{
    const float p = Single(static_cast<double>(reciprocal.x) * s.AStar * s.VF);
    const float q = Single(static_cast<double>(reciprocal.y) * s.BStar * s.VF);
    const float sx = Single(static_cast<double>(p) * s.SinGammaStar);
    const float t = Single(static_cast<double>(p) * s.CosGammaStar + q);
    const float sr = Single(static_cast<double>(sx) * s.CosOmega - static_cast<double>(t) * s.SinOmega);
    const float tr = Single(static_cast<double>(sx) * s.SinOmega + static_cast<double>(t) * s.CosOmega);
    return MakePoint(Single(static_cast<double>(sr) + s.ReciprocalOrigin.x),
                     Single(static_cast<double>(tr) + s.ReciprocalOrigin.y));
}

Point ReciprocalToWorld(const SimState& s, const Point& reciprocal)
{
    const Point pixel = ReciprocalToPixels(s, reciprocal);
    return MakePoint(Single(static_cast<double>(pixel.x) * s.InverseScale),
                     Single(static_cast<double>(pixel.y) * s.InverseScale));
}

}  // namespace kb
