#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/crystal_choice.h"
#include "model/peak_match.h"
#include "model/reflex_table.h"
#include "model/unknown_crystal.h"
#include "model_support.h"

using namespace kb;
using namespace kb::test;

Q_DECLARE_METATYPE(kb::LabLevel)

namespace {

double Rad(double deg)
{
    return deg * std::numbers::pi / 180.0;
}

// The same lattice with b' = b - a: |b - a| and the angle between a and b - a.
CrystalParams WithBMinusA(const CrystalParams& c)
{
    const double a = c.LatticeA;
    const double b = c.LatticeB;
    const double cosGamma = std::cos(Rad(c.GammaDeg));
    const double length = std::sqrt(a * a + b * b - 2.0 * a * b * cosGamma);
    const double gamma = Deg(std::acos((b * cosGamma - a) / length));
    return {c.LatticeA, static_cast<float>(length), static_cast<float>(gamma), c.Lambda};
}

}  // namespace

class PeakMatchTest : public QObject {
    Q_OBJECT

private slots:
    void guessAgainstAFullTurn_data();
    void guessAgainstAFullTurn();
    void partialMeasurement_data();
    void partialMeasurement();
    void measuredPeaksAreTheRecordedReflections();
};

void PeakMatchTest::guessAgainstAFullTurn_data()
{
    QTest::addColumn<LabLevel>("level");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("allExplained");
    QTest::addColumn<bool>("noneMissing");
    for (const LabLevel level : {LabLevel::Rectangular, LabLevel::Oblique}) {
        const char* name = level == LabLevel::Rectangular ? "rect" : "oblique";
        QTest::addRow("%s: true cell", name) << level << "true" << true << true;
        QTest::addRow("%s: a and b swapped", name) << level << "swap" << true << true;
        QTest::addRow("%s: 180 - gamma", name) << level << "supplement" << true << true;
        QTest::addRow("%s: b - a for b", name) << level << "b-a" << true << true;
        QTest::addRow("%s: a + 1.5 %%", name) << level << "a+1.5%" << false << false;
        QTest::addRow("%s: b - 1.5 %%", name) << level << "b-1.5%" << false << false;
        QTest::addRow("%s: gamma + 2", name) << level << "gamma+2" << false << false;
        // Every true peak is among those of the doubled cell, which predicts more.
        QTest::addRow("%s: a doubled", name) << level << "2a" << true << false;
        QTest::addRow("%s: a halved", name) << level << "a/2" << false << true;
        QTest::addRow("%s: out of range", name) << level << "a=50" << false << true;
    }
}

void PeakMatchTest::guessAgainstAFullTurn()
{
    QFETCH(LabLevel, level);
    QFETCH(QString, change);
    QFETCH(bool, allExplained);
    QFETCH(bool, noneMissing);
    const CrystalParams truth = UnknownCrystal("K7MX4P", 3, level);
    const std::vector<double> measured = DistinctPeaks(truth);
    CrystalParams guess = truth;
    if (change == QLatin1String("swap")) {
        std::swap(guess.LatticeA, guess.LatticeB);
    } else if (change == QLatin1String("supplement")) {
        guess.GammaDeg = 180.0f - truth.GammaDeg;
    } else if (change == QLatin1String("b-a")) {
        guess = WithBMinusA(truth);
    } else if (change == QLatin1String("a+1.5%")) {
        guess.LatticeA *= 1.015f;
    } else if (change == QLatin1String("b-1.5%")) {
        guess.LatticeB *= 0.985f;
    } else if (change == QLatin1String("gamma+2")) {
        guess.GammaDeg += 2.0f;
    } else if (change == QLatin1String("2a")) {
        guess.LatticeA *= 2.0f;
    } else if (change == QLatin1String("a/2")) {
        guess.LatticeA /= 2.0f;
    } else if (change == QLatin1String("a=50")) {
        guess.LatticeA = 50.0f;
    }
    const GuessVerdict v = CompareGuess(measured, true, guess);
    QCOMPARE(v.measured, static_cast<int>(measured.size()));
    QVERIFY(v.complete);
    QCOMPARE(v.explained == v.measured, allExplained);
    QVERIFY(v.explained <= v.measured);
    QCOMPARE(v.missing == 0, noneMissing);
    QCOMPARE(v.solved, allExplained && noneMissing);
}

void PeakMatchTest::partialMeasurement_data()
{
    QTest::addColumn<int>("recorded");  // the first this many peaks
    QTest::addColumn<int>("skipped");   // and one of them left out, or -1
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("missing");
    QTest::newRow("none yet") << 0 << -1 << false << 0;
    QTest::newRow("first ten") << 10 << -1 << false << 0;
    QTest::newRow("first ten but the fifth") << 10 << 4 << false << 1;
    QTest::newRow("full turn") << -1 << -1 << true << 0;
}

void PeakMatchTest::partialMeasurement()
{
    QFETCH(int, recorded);
    QFETCH(int, skipped);
    QFETCH(bool, complete);
    QFETCH(int, missing);
    const CrystalParams truth = UnknownCrystal("K7MX4P", 3, LabLevel::Oblique);
    const std::vector<double> all = DistinctPeaks(truth);
    const std::size_t count = recorded >= 0 ? static_cast<std::size_t>(recorded) : all.size() + recorded + 1;
    std::vector<double> measured(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count));
    if (skipped >= 0) {
        measured.erase(measured.begin() + skipped);
    }
    const GuessVerdict v = CompareGuess(measured, complete, truth);
    QCOMPARE(v.measured, static_cast<int>(measured.size()));
    QCOMPARE(v.explained, v.measured);
    QCOMPARE(v.missing, missing);
    // Nothing is solved before a full turn, and what lies beyond the measured
    // range is not missing.
    QCOMPARE(v.solved, complete && !measured.empty());
}

void PeakMatchTest::measuredPeaksAreTheRecordedReflections()
{
    const CrystalParams truth = UnknownCrystal("K7MX4P", 3, LabLevel::Oblique);
    SimState s;
    InitModel(s);
    QVERIFY(ChangeCrystal(s, truth).accepted);
    QVERIFY(MeasuredPeaks(s).empty());
    QVERIFY(!MeasurementComplete(s));

    // Reflections below 60 degrees, as far as a part of a turn would have come.
    std::vector<double> expected;
    for (int i = 0; i < s.ReflexCount; ++i) {
        Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        const double twoTheta = 2.0 * ComputeExactReflex(s.Crystal, r.H, r.K).ThetaDeg;
        if (twoTheta < 60.0) {
            r.PeakRecorded = true;
            expected.push_back(twoTheta);
        }
    }
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end(),
                               [](double x, double y) { return std::fabs(x - y) < 1e-6; }),
                   expected.end());
    // Friedel pairs give one peak: fewer peaks than recorded reflections.
    QVERIFY(!expected.empty() && expected.size() * 2 <= static_cast<std::size_t>(s.ReflexCount));
    QCOMPARE(MeasuredPeaks(s), expected);
    QVERIFY(!MeasurementComplete(s));

    for (Reflex& r : s.ReflexTable) {
        r.PeakRecorded = true;
    }
    QCOMPARE(MeasuredPeaks(s), DistinctPeaks(truth));
    QVERIFY(MeasurementComplete(s));
    QVERIFY(CompareGuess(MeasuredPeaks(s), MeasurementComplete(s), truth).solved);
}

QTEST_APPLESS_MAIN(PeakMatchTest)
#include "test_peak_match.moc"
