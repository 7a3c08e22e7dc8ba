// Other crystals and wavelengths: the table a choice gives, the checks that
// refuse a choice, the change of a running simulation and a full turn.

#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <utility>
#include <vector>

#include "model/crystal_choice.h"
#include "model_support.h"

using namespace kb;
using namespace kb::test;

namespace {

using Pair = std::pair<int, int>;

constexpr CrystalParams kSquareCu{300.0f, 300.0f, 90.0f, 154.051f};
constexpr CrystalParams kHexagonalCu{300.0f, 300.0f, 120.0f, 154.051f};
constexpr CrystalParams kStandardMo{300.0f, 390.0f, 111.0f, 70.930f};
// a* and b* 30 degrees apart: (3 -3 0) reflects, beyond Round(2 / AStar) = 2.
constexpr CrystalParams kWideAngleCu{300.0f, 390.0f, 150.0f, 154.051f};
// lambda / 2a above 1: only (0 k 0) reflect.
constexpr CrystalParams kNo100{100.0f, 1000.0f, 90.0f, 240.0f};

void AddCrystalColumns()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("gamma");
    QTest::addColumn<double>("lambda");
}

void AddCrystalRow(const char* name, const CrystalParams& c)
{
    QTest::newRow(name) << double{c.LatticeA} << double{c.LatticeB} << double{c.GammaDeg} << double{c.Lambda};
}

CrystalParams FetchCrystal()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, gamma);
    QFETCH(double, lambda);
    return {static_cast<float>(a), static_cast<float>(b), static_cast<float>(gamma),
            static_cast<float>(lambda)};
}

// sin(theta) from the plane spacing of the direct lattice, without the
// reciprocal constants the model works with. For the square lattice this is
// lambda sqrt(h^2 + k^2) / 2a: the pairs with h^2 + k^2 < (2a / lambda)^2 reflect.
double SinThetaOf(const CrystalParams& c, int h, int k)
{
    const double a = c.LatticeA;
    const double b = c.LatticeB;
    const double gamma = c.GammaDeg * std::numbers::pi / 180.0;
    const double inverseSquare =
        (h * h / (a * a) + k * k / (b * b) - 2.0 * h * k * std::cos(gamma) / (a * b)) /
        (std::sin(gamma) * std::sin(gamma));
    return c.Lambda * std::sqrt(inverseSquare) / 2.0;
}

constexpr int kSearch = 60;  // beyond any index an accepted crystal reaches

// Pairs that reach Bragg position; `boundary` collects those too close to
// sin(theta) = 1 for single precision to decide.
std::set<Pair> ReachablePairs(const CrystalParams& c, std::set<Pair>* boundary = nullptr)
{
    std::set<Pair> pairs;
    for (int h = -kSearch; h <= kSearch; ++h) {
        for (int k = -kSearch; k <= kSearch; ++k) {
            if (h == 0 && k == 0) {
                continue;
            }
            const double s = SinThetaOf(c, h, k);
            if (std::fabs(s - 1.0) < 1e-6) {
                if (boundary != nullptr) {
                    boundary->insert({h, k});
                }
            } else if (s < 1.0) {
                pairs.insert({h, k});
            }
        }
    }
    return pairs;
}

SimState WithCrystal(const CrystalParams& c)
{
    SimState s;
    InitModel(s);
    const CrystalCheck check = ChangeCrystal(s, c);
    if (!check.accepted) {
        qWarning("refused: %s", check.message.c_str());
    }
    return s;
}

// Some rotation with peaks recorded and marks set, as a lesson leaves it.
void TurnAWhile(SimState& s)
{
    for (int tick = 0; tick < 300; ++tick) {
        RotationStep(s);
        if (s.ActiveReflex >= 0) {
            s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)].PeakRecorded = true;
            s.ReflexTable[static_cast<std::size_t>(s.ActiveReflex)].EwaldMark = MakePoint(2000.0f, 3000.0f);
            s.Diffractogram[100] = 1.0f;
        }
        AdvanceSweepIfPassed(s);
    }
}

}  // namespace

class CrystalChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void tableHoldsEveryReachablePair_data()
    {
        AddCrystalColumns();
        AddCrystalRow("square 300/300/90, Cu", kSquareCu);
        AddCrystalRow("hexagonal 300/300/120, Cu", kHexagonalCu);
        AddCrystalRow("standard lattice, Mo", kStandardMo);
        AddCrystalRow("wide angle 150, Cu", kWideAngleCu);
        AddCrystalRow("(1 0 0) out of reach", kNo100);
    }

    void tableHoldsEveryReachablePair()
    {
        const CrystalParams c = FetchCrystal();
        const SimState s = WithCrystal(c);
        std::set<Pair> boundary;
        const std::set<Pair> expected = ReachablePairs(c, &boundary);
        QVERIFY(boundary.empty());
        std::set<Pair> held;
        for (int i = 0; i < s.ReflexCount; ++i) {
            const Reflex& r = At(s, i);
            QVERIFY2(held.insert({r.H, r.K}).second, "a pair twice");
            const double twoThetaDeg = 2.0 * Deg(std::asin(SinThetaOf(c, r.H, r.K)));
            QVERIFY2(std::fabs(2.0 * Deg(r.Theta) - twoThetaDeg) < 0.001,
                     qPrintable(QStringLiteral("(%1 %2)").arg(r.H).arg(r.K)));
        }
        QVERIFY(held == expected);
        QCOMPARE(static_cast<int>(s.ReflexTable.size()), s.ReflexCount);
        QCOMPARE(s.Reflex10Index, IndexOf(s, 1, 0));
        QCOMPARE(s.Reflex01Index, IndexOf(s, 0, 1));

        std::vector<int> order = s.SweepOrder;
        QCOMPARE(static_cast<int>(order.size()), s.ReflexCount);
        for (int p = 1; p < s.ReflexCount; ++p) {
            QVERIFY(At(s, order[static_cast<std::size_t>(p - 1)]).OmegaBragg <=
                    At(s, order[static_cast<std::size_t>(p)]).OmegaBragg);
        }
        std::sort(order.begin(), order.end());
        for (int p = 0; p < s.ReflexCount; ++p) {
            QCOMPARE(order[static_cast<std::size_t>(p)], p);
        }
    }

    void hexagonalFirstRingSixFold()
    {
        const SimState s = WithCrystal(kHexagonalCu);
        const Pair ring[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, -1}, {-1, 1}};
        const double thetaDeg = Deg(std::asin(154.051 / (2.0 * 300.0 * std::sin(std::numbers::pi / 3.0))));
        std::vector<double> omegas;
        for (const auto& [h, k] : ring) {
            const int i = IndexOf(s, h, k);
            QVERIFY(i >= 0);
            QVERIFY(std::fabs(Deg(At(s, i).Theta) - thetaDeg) < 1e-4);
            omegas.push_back(Deg(At(s, i).OmegaBragg));
        }
        // Nothing lies inside the ring, and the ring turns into itself every 60 degrees.
        for (int i = 0; i < s.ReflexCount; ++i) {
            QVERIFY(Deg(At(s, i).Theta) > thetaDeg - 1e-4);
        }
        std::sort(omegas.begin(), omegas.end());
        for (std::size_t i = 1; i < omegas.size(); ++i) {
            QVERIFY(std::fabs(omegas[i] - omegas[i - 1] - 60.0) < 0.001);
        }
    }

    void standardAgainAfterAnother()
    {
        SimState fresh;
        InitModel(fresh);
        SimState s = WithCrystal(kStandardMo);
        QVERIFY(s.ReflexCount > 201);
        QVERIFY(ChangeCrystal(s, kStandardCrystal).accepted);
        QCOMPARE(s.ReflexCount, 56);
        QVERIFY(s.ReflexTable == fresh.ReflexTable);
        QVERIFY(s.SweepOrder == fresh.SweepOrder);
        QCOMPARE(s.HMax, fresh.HMax);
        QCOMPARE(s.KMax, fresh.KMax);
        QCOMPARE(s.AStar, fresh.AStar);
        QCOMPARE(s.BStar, fresh.BStar);
        QCOMPARE(s.Reflex10Index, fresh.Reflex10Index);
    }

    void changeCrystal_data()
    {
        AddCrystalColumns();
        QTest::addColumn<QList<int>>("outOfRange");  // CrystalField values
        QTest::addColumn<bool>("tooMany");
        auto row = [](const char* name, CrystalParams c, QList<int> fields = {}, bool tooMany = false) {
            QTest::newRow(name) << double{c.LatticeA} << double{c.LatticeB} << double{c.GammaDeg}
                                << double{c.Lambda} << fields << tooMany;
        };
        const int a = static_cast<int>(CrystalField::LatticeA);
        const int b = static_cast<int>(CrystalField::LatticeB);
        const int gamma = static_cast<int>(CrystalField::Gamma);
        const int lambda = static_cast<int>(CrystalField::Lambda);
        row("square", kSquareCu);
        row("lowest bounds", {100.0f, 100.0f, 60.0f, 50.0f});
        row("highest bounds", {1000.0f, 1000.0f, 150.0f, 500.0f});
        row("no reflection: lambda beyond 2d", {100.0f, 100.0f, 90.0f, 500.0f});
        row("a below", {99.9f, 390.0f, 111.0f, 154.051f}, {a});
        row("b above", {300.0f, 1000.1f, 111.0f, 154.051f}, {b});
        row("gamma below", {300.0f, 390.0f, 59.9f, 154.051f}, {gamma});
        row("gamma above", {300.0f, 390.0f, 150.1f, 154.051f}, {gamma});
        row("lambda below", {300.0f, 390.0f, 111.0f, 49.9f}, {lambda});
        row("lambda above", {300.0f, 390.0f, 111.0f, 500.1f}, {lambda});
        row("not a number", {300.0f, 390.0f, 111.0f, std::nanf("")}, {lambda});
        row("three at once", {0.0f, 390.0f, 180.0f, 1000.0f}, {a, gamma, lambda});
        row("too many reflections", {500.0f, 500.0f, 90.0f, 70.930f}, {}, true);
    }

    void changeCrystal()
    {
        const CrystalParams c = FetchCrystal();
        QFETCH(QList<int>, outOfRange);
        QFETCH(bool, tooMany);
        SimState s;
        InitModel(s);
        TurnAWhile(s);
        const SimState before = s;
        const CrystalCheck check = ChangeCrystal(s, c);

        QList<int> fields;
        for (const CrystalField f : check.outOfRange) {
            fields << static_cast<int>(f);
        }
        QCOMPARE(fields, outOfRange);
        const bool refused = !outOfRange.isEmpty() || tooMany;
        QCOMPARE(check.accepted, !refused);
        QCOMPARE(check.message.empty(), !refused);
        if (refused) {
            QVERIFY(s == before);
            for (const CrystalField f : check.outOfRange) {
                QVERIFY(check.message.find(RangeMessage(f)) != std::string::npos);
            }
            if (tooMany) {
                const int count = static_cast<int>(ReachablePairs(c).size());
                QVERIFY(count > kMaxReflexCount);
                QCOMPARE(check.reflexCount, count);
                QVERIFY2(check.message.find(" " + std::to_string(count) + " Reflexe") != std::string::npos,
                         check.message.c_str());
            }
            return;
        }
        QVERIFY(s.Crystal == c);
        QCOMPARE(check.reflexCount, s.ReflexCount);
        QVERIFY(s.ReflexCount <= kMaxReflexCount);
        QCOMPARE(s.Omega, 0.0f);
        QCOMPARE(s.ActiveReflex, -1);
        // The sweep heads for its first reflection, if there is one.
        QCOMPARE(s.SweepPos, s.ReflexCount > 0 ? 0 : -1);
        QCOMPARE(s.NextReflex, s.ReflexCount > 0 ? s.SweepOrder[0] : -1);
        QVERIFY(
            std::all_of(s.Diffractogram.begin(), s.Diffractogram.end(), [](float v) { return v == 0.0f; }));
        for (const Reflex& r : s.ReflexTable) {
            QVERIFY(!r.PeakRecorded);
            QVERIFY(!IsEwaldMarkSet(r.EwaldMark));
        }
        QCOMPARE(s.TimerInterval, before.TimerInterval);
    }

    // Further digits are rounded off to three decimals, a tie away from zero,
    // and the values as typed then survive single precision.
    void countsThreeDecimals_data()
    {
        QTest::addColumn<float>("typed");
        QTest::addColumn<double>("counted");
        QTest::newRow("more digits than a single holds") << 689.63156f << 689.632;
        QTest::newRow("tie") << 154.0515f << 154.052;
        QTest::newRow("below a tie") << 300.0004f << 300.0;
        QTest::newRow("three decimals stay") << 999.999f << 999.999;
    }

    void countsThreeDecimals()
    {
        QFETCH(float, typed);
        QFETCH(double, counted);
        const CrystalParams c = CountedCrystal({typed, typed, typed, typed});
        for (const float value : {c.LatticeA, c.LatticeB, c.GammaDeg, c.Lambda}) {
            QCOMPARE(AsTyped(value), counted);
        }
    }

    void fullTurnActivatesEachOnce_data()
    {
        AddCrystalColumns();
        AddCrystalRow("square", kSquareCu);
        AddCrystalRow("hexagonal", kHexagonalCu);
        AddCrystalRow("standard lattice, Mo", kStandardMo);
        AddCrystalRow("wide angle", kWideAngleCu);
        AddCrystalRow("(1 0 0) out of reach", kNo100);
    }

    // From the ground position through the real rotation step, until the
    // crystal has turned 360 degrees net: a step back into an overlapping
    // window turns it back, the wrap at the end of the sweep brings it full circle.
    void fullTurnActivatesEachOnce()
    {
        SimState s = WithCrystal(FetchCrystal());
        QVERIFY(s.ReflexCount > 0);
        std::vector<int> activations(static_cast<std::size_t>(s.ReflexCount), 0);
        double turnedDeg = 0.0;
        int previous = -1;
        for (int tick = 0;; ++tick) {
            QVERIFY(tick < 100000);
            const double start = Deg(s.Omega);
            RotationStep(s);
            turnedDeg += Deg(s.Omega) - start;
            if (turnedDeg >= 360.0) {
                break;
            }
            if (s.ActiveReflex != -1 && s.ActiveReflex != previous) {
                ++activations[static_cast<std::size_t>(s.ActiveReflex)];
            }
            previous = s.ActiveReflex;
            const int pos = s.SweepPos;
            const double beforeSweep = Deg(s.Omega);
            AdvanceSweepIfPassed(s);
            turnedDeg += Deg(s.Omega) - beforeSweep;
            if (pos == s.ReflexCount - 1 && s.SweepPos == 0) {
                turnedDeg += 360.0;
            }
        }
        for (int i = 0; i < s.ReflexCount; ++i) {
            QVERIFY2(activations[static_cast<std::size_t>(i)] == 1,
                     qPrintable(QStringLiteral("(%1 %2) active %3 times")
                                    .arg(At(s, i).H)
                                    .arg(At(s, i).K)
                                    .arg(activations[static_cast<std::size_t>(i)])));
        }
    }
};

QTEST_APPLESS_MAIN(CrystalChoiceTest)
#include "test_crystal_choice.moc"
