#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/reflex_table.h"
#include "model_support.h"

using namespace kb;
using namespace kb::test;

class ReflexTableTest : public QObject {
    Q_OBJECT

private:
    SimState s;

private slots:
    void init()
    {
        s = SimState{};
        InitModel(s);
    }

    void enumerationBounds()
    {
        QCOMPARE(s.HMax, 4);
        QCOMPARE(s.KMax, 5);
        QCOMPARE(s.ReflexCount, 56);
        // Just beyond sin(theta) = 1: (2 -5) and (-2 5) cannot reach Bragg position.
        QCOMPARE(IndexOf(s, 2, -5), -1);
        QCOMPARE(IndexOf(s, -2, 5), -1);
        QCOMPARE(IndexOf(s, 0, 0), -1);
    }

    void entries_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("index");        // -1: not fixed by the enumeration order here
        QTest::addColumn<double>("thetaDeg");  // < 0: not checked
        QTest::addColumn<double>("omegaDeg");  // < 0: not checked
        QTest::newRow("first (1 -5 0)") << 1 << -5 << 0 << 83.204 << -1.0;
        QTest::newRow("last (-1 5 0)") << -1 << 5 << 55 << 83.204 << -1.0;
        QTest::newRow("(1 0 0)") << 1 << 0 << 28 << 15.963 << 84.963;
        QTest::newRow("(0 1 0)") << 0 << 1 << 34 << 12.213 << 12.213;
        QTest::newRow("(-1 3 0) wraps past 360") << -1 << 3 << -1 << 36.471 << 10.880;
        QTest::newRow("(-3 4 0)") << -3 << 4 << -1 << -1.0 << 16.778;
        QTest::newRow("(-3 3 0)") << -3 << 3 << -1 << -1.0 << 351.058;
        QTest::newRow("(-2 3 0)") << -2 << 3 << -1 << -1.0 << 352.859;
        QTest::newRow("(2 2 0)") << 2 << 2 << -1 << -1.0 << 93.253;
        QTest::newRow("(1 4 0)") << 1 << 4 << -1 << -1.0 << 93.450;
    }

    void entries()
    {
        QFETCH(int, h);
        QFETCH(int, k);
        QFETCH(int, index);
        QFETCH(double, thetaDeg);
        QFETCH(double, omegaDeg);
        const int found = IndexOf(s, h, k);
        QVERIFY(found >= 0);
        if (index >= 0) {
            QCOMPARE(found, index);
        }
        const Reflex& r = At(s, found);
        if (thetaDeg >= 0) {
            QVERIFY2(std::fabs(Deg(r.Theta) - thetaDeg) < 0.0005,
                     qPrintable(QString::number(Deg(r.Theta), 'f', 4)));
        }
        if (omegaDeg >= 0) {
            QVERIFY2(std::fabs(Deg(r.OmegaBragg) - omegaDeg) < 0.0005,
                     qPrintable(QString::number(Deg(r.OmegaBragg), 'f', 4)));
        }
    }

    void braggAnglesInRange()
    {
        for (int i = 0; i < s.ReflexCount; ++i) {
            const Reflex& r = At(s, i);
            QVERIFY(r.Theta > 0.0f && r.Theta < std::numbers::pi / 2);
            QVERIFY(r.OmegaBragg > 0.0f && r.OmegaBragg <= 2 * std::numbers::pi + 1e-6);
            // The opposite reflection has the same Bragg angle, its OmegaBragg half a turn away.
            const int opposite = IndexOf(s, -r.H, -r.K);
            QVERIFY(opposite >= 0);
            QCOMPARE(At(s, opposite).Theta, r.Theta);
            const double apart =
                std::fmod(std::fabs(Deg(r.OmegaBragg) - Deg(At(s, opposite).OmegaBragg)), 360.0);
            QVERIFY2(std::fabs(apart - 180.0) < 0.001, qPrintable(QString::number(apart)));
        }
        QCOMPARE(s.Reflex10Index, IndexOf(s, 1, 0));
        QCOMPARE(s.Reflex01Index, IndexOf(s, 0, 1));
    }

    void orders_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("planeH");
        QTest::addColumn<int>("planeK");
        QTest::newRow("(1 0 0)") << 1 << 0 << 1 << 1 << 0;
        QTest::newRow("(2 0 0)") << 2 << 0 << 2 << 1 << 0;
        QTest::newRow("(3 -3 0)") << 3 << -3 << 3 << 1 << -1;
        QTest::newRow("(-2 -2 0)") << -2 << -2 << 2 << -1 << -1;
        QTest::newRow("(0 -4 0) on an axis") << 0 << -4 << 4 << 0 << -1;
        QTest::newRow("(2 -3 0) coprime") << 2 << -3 << 1 << 2 << -3;
    }

    void orders()
    {
        QFETCH(int, h);
        QFETCH(int, k);
        const int i = IndexOf(s, h, k);
        QVERIFY(i >= 0);
        QTEST(At(s, i).Order, "order");
        QTEST(At(s, i).PlaneH, "planeH");
        QTEST(At(s, i).PlaneK, "planeK");
    }

    void sweepOrder()
    {
        const int n = s.ReflexCount;
        std::vector<int> order(s.SweepOrder.begin(), s.SweepOrder.begin() + n);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        for (int p = 0; p < n; ++p) {
            QCOMPARE(sorted[static_cast<std::size_t>(p)], p);  // each table index exactly once
        }
        double closest = 1e9;
        int closestPos = -1;
        for (int p = 1; p < n; ++p) {
            const float before = At(s, order[static_cast<std::size_t>(p - 1)]).OmegaBragg;
            const float here = At(s, order[static_cast<std::size_t>(p)]).OmegaBragg;
            QVERIFY(before <= here);
            if (here - before < closest) {
                closest = here - before;
                closestPos = p;
            }
        }
        const auto at = [&](int p) { return order[static_cast<std::size_t>(p)]; };
        QCOMPARE(at(0), IndexOf(s, -1, 3));
        QCOMPARE(at(1), IndexOf(s, 0, 1));
        QCOMPARE(at(2), IndexOf(s, -3, 4));
        QCOMPARE(at(54), IndexOf(s, -3, 3));
        QCOMPARE(at(55), IndexOf(s, -2, 3));
        // (2 2 0) and (1 4 0) are neighbours with the smallest gap; their opposites,
        // half a turn on, share it up to single-precision rounding.
        int pos22 = -1;
        for (int p = 0; p < n; ++p) {
            if (at(p) == IndexOf(s, 2, 2)) {
                pos22 = p;
            }
        }
        QVERIFY(pos22 >= 0 && pos22 + 1 < n);
        QCOMPARE(at(pos22 + 1), IndexOf(s, 1, 4));
        const double gap = At(s, at(pos22 + 1)).OmegaBragg - At(s, at(pos22)).OmegaBragg;
        QVERIFY(closestPos > 0);
        QVERIFY(std::fabs(gap - closest) < 1e-6);
    }

    void derivedConstants()
    {
        QVERIFY(std::fabs(s.GammaStar - 1.2042772) < 1e-7);
        QVERIFY(std::fabs(Deg(s.GammaStar) - 69.0) < 1e-5);
        QVERIFY(std::fabs(s.AStar - 0.5500365) < 5e-8);
        QVERIFY(std::fabs(s.BStar - 0.4231050) < 5e-8);
        QVERIFY(std::fabs(s.Gamma - 1.9373155) < 1e-7);
    }

    void intensityRamp_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("colour");
        QTest::newRow("dark red at the Bragg angle") << 0 << 0x800000u;
        QTest::newRow("last of the red rise") << 127 << 0xFF0000u;
        QTest::newRow("first of the fade to white") << 128 << 0xFF0000u;
        QTest::newRow("edge of the window") << 255 << 0xFFFEFEu;
    }

    void intensityRamp()
    {
        QFETCH(int, index);
        QFETCH(uint, colour);
        QCOMPARE(s.IntensityRamp[static_cast<std::size_t>(index)], colour);
    }

    void secondBuildIsIdentical()
    {
        SimState again = s;
        InitConstantsAndTable(again);
        QCOMPARE(again.ReflexCount, s.ReflexCount);
        for (int i = 0; i < s.ReflexCount; ++i) {
            const Reflex& a = At(s, i);
            const Reflex& b = At(again, i);
            QVERIFY(a.H == b.H && a.K == b.K && a.Order == b.Order && a.Theta == b.Theta &&
                    a.OmegaBragg == b.OmegaBragg);
            QCOMPARE(again.SweepOrder[static_cast<std::size_t>(i)],
                     s.SweepOrder[static_cast<std::size_t>(i)]);
        }
    }

    void stateAfterInit()
    {
        // Dirty everything the initialisation resets, then run it again.
        s.Omega = 1.0f;
        s.ActiveReflex = 3;
        s.SweepPos = 7;
        s.DiffractedBeamColour = 0x123456;
        s.Diffractogram[300] = 2.0f;
        s.ReflexTable[5].PeakRecorded = true;
        s.ReflexTable[6].EwaldMark = MakePoint(2000.0f, 3000.0f);
        InitModel(s);
        QCOMPARE(s.Omega, 0.0f);
        QCOMPARE(s.ActiveReflex, -1);
        QCOMPARE(s.SweepPos, 0);
        QCOMPARE(s.DiffractedBeamColour, kDarkRed);
        QCOMPARE(s.PrimaryBeamColour, kDarkRed);
        QCOMPARE(s.TimerInterval, 70u);
        QVERIFY(
            std::all_of(s.Diffractogram.begin(), s.Diffractogram.end(), [](float v) { return v == 0.0f; }));
        for (int i = 0; i < s.ReflexCount; ++i) {
            QVERIFY(!At(s, i).PeakRecorded);
            QCOMPARE(At(s, i).EwaldMark, MakePoint(-999.0f, -999.0f));
            QVERIFY(!IsEwaldMarkSet(At(s, i).EwaldMark));
        }
    }

    // A later initialisation turns the crystal back to 0 and the sweep with it.
    void secondInitHeadsForTheFirstReflexAgain()
    {
        for (int tick = 0; tick < 100; ++tick) {
            RotationStep(s);
            AdvanceSweepIfPassed(s);
        }
        QVERIFY(s.SweepPos > 0);
        InitModel(s);
        QCOMPARE(s.Omega, 0.0f);
        QCOMPARE(s.SweepPos, 0);
        QCOMPARE(s.NextReflex, s.SweepOrder[0]);
        const double bragg = At(s, s.NextReflex).OmegaBragg;
        QCOMPARE(s.WindowStart, static_cast<float>(bragg - kDegToRad));
        QCOMPARE(s.WindowEnd, static_cast<float>(kDegToRad + bragg));
    }
};

QTEST_APPLESS_MAIN(ReflexTableTest)
#include "test_reflex_table.moc"
