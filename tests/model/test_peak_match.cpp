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

Q_DECLARE_METATYPE(kb::CrystalParams)

namespace {

// The oblique crystal the guesses are made for: 328.1 pm, 355.4 pm, 109.9 degrees.
CrystalParams Truth()
{
    return UnknownCrystal("K7MX4P", 3, LabLevel::Oblique);
}

CrystalParams Changed(float a, float b, float gamma)
{
    return {a, b, gamma, kLabLambdaPm};
}

}  // namespace

class PeakMatchTest : public QObject {
    Q_OBJECT

private slots:
    void guessAgainstTheMeasurement_data()
    {
        QTest::addColumn<CrystalParams>("guess");
        QTest::addColumn<int>("recorded");  // the first this many peaks; -1 all
        QTest::addColumn<bool>("complete");
        QTest::addColumn<bool>("allExplained");
        QTest::addColumn<int>("missing");  // -1: some
        const CrystalParams t = Truth();
        const double cosGamma = std::cos(t.GammaDeg * std::numbers::pi / 180.0);
        // b' = b - a spans the same lattice with a longer b and a wider angle.
        const double bMinusA = std::sqrt(t.LatticeA * t.LatticeA + t.LatticeB * t.LatticeB -
                                         2.0 * t.LatticeA * t.LatticeB * cosGamma);
        const double wider = Deg(std::acos((t.LatticeB * cosGamma - t.LatticeA) / bMinusA));
        QTest::newRow("true cell") << t << -1 << true << true << 0;
        QTest::newRow("a and b swapped")
            << Changed(t.LatticeB, t.LatticeA, t.GammaDeg) << -1 << true << true << 0;
        QTest::newRow("180 - gamma") << Changed(t.LatticeA, t.LatticeB, 180.0f - t.GammaDeg) << -1 << true
                                     << true << 0;
        QTest::newRow("b - a for b") << Changed(t.LatticeA, static_cast<float>(bMinusA),
                                                static_cast<float>(wider))
                                     << -1 << true << true << 0;
        QTest::newRow("a + 1.5 %") << Changed(t.LatticeA * 1.015f, t.LatticeB, t.GammaDeg) << -1 << true
                                   << false << -1;
        QTest::newRow("gamma + 2") << Changed(t.LatticeA, t.LatticeB, t.GammaDeg + 2.0f) << -1 << true
                                   << false << -1;
        // Every true peak is one of the doubled cell's, which predicts more.
        QTest::newRow("a doubled") << Changed(t.LatticeA * 2.0f, t.LatticeB, t.GammaDeg) << -1 << true << true
                                   << -1;
        QTest::newRow("a halved") << Changed(t.LatticeA / 2.0f, t.LatticeB, t.GammaDeg) << -1 << true << false
                                  << 0;
        QTest::newRow("out of range") << Changed(50.0f, t.LatticeB, t.GammaDeg) << -1 << true << false << 0;
        QTest::newRow("nothing yet") << t << 0 << false << true << 0;
        // Beyond the highest measured peak nothing counts as missing.
        QTest::newRow("first ten peaks") << t << 10 << false << true << 0;
    }

    void guessAgainstTheMeasurement()
    {
        QFETCH(CrystalParams, guess);
        QFETCH(int, recorded);
        QFETCH(bool, complete);
        QFETCH(bool, allExplained);
        QFETCH(int, missing);
        std::vector<double> measured = DistinctPeaks(Truth());
        if (recorded >= 0) {
            measured.resize(static_cast<std::size_t>(recorded));
        }
        const GuessVerdict v = CompareGuess(measured, complete, guess);
        QCOMPARE(v.measured, static_cast<int>(measured.size()));
        QCOMPARE(v.complete, complete);
        QCOMPARE(v.explained == v.measured, allExplained);
        QVERIFY(missing >= 0 ? v.missing == missing : v.missing > 0);
        QCOMPARE(v.solved, complete && !measured.empty() && allExplained && missing == 0);
    }

    void measuredPeaksAreTheRecordedReflections()
    {
        SimState s;
        InitModel(s);
        QVERIFY(ChangeCrystal(s, Truth()).accepted);
        QVERIFY(MeasuredPeaks(s).empty() && !MeasurementComplete(s));
        // Part of a turn: the reflections below 60 degrees, exact, and each
        // Friedel pair one peak.
        std::vector<double> expected;
        for (Reflex& r : s.ReflexTable) {
            const double twoTheta = 2.0 * ComputeExactReflex(s.Crystal, r.H, r.K).ThetaDeg;
            r.PeakRecorded = twoTheta < 60.0;
            if (r.PeakRecorded && std::find(expected.begin(), expected.end(), twoTheta) == expected.end()) {
                expected.push_back(twoTheta);
            }
        }
        std::sort(expected.begin(), expected.end());
        QVERIFY(expected.size() >= 5);
        QCOMPARE(MeasuredPeaks(s), expected);
        QVERIFY(!MeasurementComplete(s));
        for (Reflex& r : s.ReflexTable) {
            r.PeakRecorded = true;
        }
        QCOMPARE(MeasuredPeaks(s), DistinctPeaks(Truth()));
        QVERIFY(MeasurementComplete(s));
    }
};

QTEST_APPLESS_MAIN(PeakMatchTest)
#include "test_peak_match.moc"
