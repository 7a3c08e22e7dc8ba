#include <QTest>
#include <cmath>
#include <map>
#include <vector>

#include "model_support.h"

using namespace kb;
using namespace kb::test;

namespace {

// One timer tick without the scene pass, which the rotation does not read.
void Tick(SimState& s)
{
    RotationStep(s);
    AdvanceSweepIfPassed(s);
}

bool Near(double valueDeg, double expectedDeg, double tolDeg = 0.001)
{
    return std::fabs(valueDeg - expectedDeg) < tolDeg;
}

// What one tick did to the sweep: the crystal angle on leaving a window and after the step back.
struct Leave {
    int left = -1;  // table index whose window was passed
    int next = -1;
    int sweepPos = -1;
    double omegaOnLeavingDeg = 0;
    double omegaAfterDeg = 0;
};

// Ticks until `count` windows have been passed, recording each passage.
std::vector<Leave> RunUntilLeaves(SimState& s, int count)
{
    std::vector<Leave> leaves;
    for (int tick = 0; tick < 20000 && static_cast<int>(leaves.size()) < count; ++tick) {
        const int before = s.NextReflex;
        const int pos = s.SweepPos;
        RotationStep(s);
        const double omega = Deg(s.Omega);
        AdvanceSweepIfPassed(s);
        if (s.SweepPos != pos) {
            leaves.push_back({before, s.NextReflex, s.SweepPos, omega, Deg(s.Omega)});
        }
    }
    return leaves;
}

}  // namespace

class RotationTest : public QObject {
    Q_OBJECT

private:
    SimState s;

private slots:
    void init()
    {
        s = SimState{};
        InitModel(s);
    }

    void firstActivationAfterInit()
    {
        int tick = 0;
        while (s.ActiveReflex == -1 && tick < 1000) {
            Tick(s);
            ++tick;
        }
        // The first of the sweep, (-1 3 0) at 10.880 degrees, from the first tick in its window.
        QCOMPARE(tick, 40);
        QCOMPARE(s.ActiveReflex, IndexOf(s, -1, 3));
        QCOMPARE(s.ActiveReflex, s.SweepOrder[0]);
        QVERIFY(Near(Deg(s.Omega), 10.0));
        QCOMPARE(s.DiffractedBeamColour, s.IntensityRamp[224]);
        for (int i = 0; i < 4; ++i) {
            Tick(s);
        }
        QVERIFY(Near(Deg(s.Omega), 11.0));
        QCOMPARE(s.ActiveReflex, IndexOf(s, -1, 3));
        QCOMPARE(s.DiffractedBeamColour, s.IntensityRamp[31]);
    }

    void stepBackIntoOverlappingWindow()
    {
        const std::vector<Leave> leaves = RunUntilLeaves(s, 57);
        QCOMPARE(static_cast<int>(leaves.size()), 57);
        bool sawMinus34 = false;
        bool sawMinus33 = false;
        for (const Leave& l : leaves) {
            if (l.left == IndexOf(s, -3, 4)) {
                sawMinus34 = true;
                QVERIFY(Near(l.omegaOnLeavingDeg, 17.963));
                QCOMPARE(l.next, IndexOf(s, -2, 4));
                QVERIFY(Near(l.omegaAfterDeg, 16.511));
            }
            if (l.left == IndexOf(s, -3, 3)) {
                sawMinus33 = true;
                QVERIFY2(Near(l.omegaOnLeavingDeg, 352.096),
                         qPrintable(QString::number(l.omegaOnLeavingDeg)));
                QCOMPARE(l.next, IndexOf(s, -2, 3));
                QCOMPARE(l.sweepPos, 55);
                QVERIFY(Near(l.omegaAfterDeg, 351.859));
            }
        }
        QVERIFY(sawMinus34 && sawMinus33);
        // The first turn begins at position 0; the 56th passage wraps back to it.
        QCOMPARE(leaves.front().left, s.SweepOrder[0]);
        QCOMPARE(leaves.front().sweepPos, 1);
        const Leave& wrap = leaves[55];
        QCOMPARE(wrap.left, IndexOf(s, -2, 3));
        QCOMPARE(wrap.sweepPos, 0);
        QCOMPARE(wrap.next, IndexOf(s, -1, 3));
        QVERIFY(Near(wrap.omegaOnLeavingDeg, 353.86, 0.01));
        QVERIFY(Near(wrap.omegaAfterDeg, 9.880));
    }

    void everyReflexOncePerTurn()
    {
        RunUntilLeaves(s, 56);  // up to the wrap after the last window
        QCOMPARE(s.SweepPos, 0);
        for (int turn = 0; turn < 2; ++turn) {
            std::map<int, int> activations;
            int previous = -1;
            int ticks = 0;
            bool wrapped = false;
            while (!wrapped && ticks < 5000) {
                RotationStep(s);
                if (s.ActiveReflex != -1 && s.ActiveReflex != previous) {
                    ++activations[s.ActiveReflex];
                }
                previous = s.ActiveReflex;
                const int pos = s.SweepPos;
                AdvanceSweepIfPassed(s);
                wrapped = pos != 0 && s.SweepPos == 0;
                ++ticks;
            }
            QVERIFY(ticks < 5000);
            QCOMPARE(static_cast<int>(activations.size()), s.ReflexCount);
            for (const auto& [index, count] : activations) {
                QVERIFY2(count == 1, qPrintable(QString("entry %1 active %2 times").arg(index).arg(count)));
            }
        }
    }

    void groundPosition()
    {
        for (int i = 0; i < 47; ++i) {
            Tick(s);  // into the window of (-1 3 0), which fades the beam
        }
        s.ReflexTable[3].EwaldMark = MakePoint(2000.0f, 2500.0f);
        const Colour faded = s.DiffractedBeamColour;
        QVERIFY(faded != kDarkRed);
        ResetToGroundPosition(s);
        QCOMPARE(s.Omega, 0.0f);
        QCOMPARE(s.ActiveReflex, -1);
        QVERIFY(!IsEwaldMarkSet(s.ReflexTable[3].EwaldMark));
        // The sweep starts afresh at its first position.
        QCOMPARE(s.SweepPos, 0);
        QCOMPARE(s.NextReflex, s.SweepOrder[0]);
        int tick = 0;
        while (s.ActiveReflex == -1 && tick < 100) {
            Tick(s);
            QVERIFY(s.ActiveReflex != -1 || s.DiffractedBeamColour == faded);
            ++tick;
        }
        QCOMPARE(tick, 40);
        QCOMPARE(s.ActiveReflex, IndexOf(s, -1, 3));
    }

    void windowEndIsInside()
    {
        const int target = s.Reflex10Index;
        const float bragg = At(s, target).OmegaBragg;
        s.NextReflex = target;
        s.WindowEnd = static_cast<float>(static_cast<double>(bragg) + kDegToRad);
        s.WindowStart = static_cast<float>(static_cast<double>(bragg) - kDegToRad);
        const float step = static_cast<float>(0.25 * kDegToRad);
        float omega = static_cast<float>(s.WindowEnd - step);
        while (static_cast<float>(static_cast<double>(omega) + step) > s.WindowEnd) {
            omega = std::nextafter(omega, 0.0f);
        }
        while (static_cast<float>(static_cast<double>(omega) + step) < s.WindowEnd) {
            omega = std::nextafter(omega, 10.0f);
        }
        s.Omega = omega;
        const int pos = s.SweepPos;
        RotationStep(s);
        QCOMPARE(s.Omega, s.WindowEnd);
        QCOMPARE(s.ActiveReflex, target);
        QCOMPARE(s.DiffractedBeamColour, s.IntensityRamp[255]);  // the edge of the window
        AdvanceSweepIfPassed(s);
        QCOMPARE(s.SweepPos, pos);
        RotationStep(s);
        QCOMPARE(s.ActiveReflex, -1);
        AdvanceSweepIfPassed(s);
        QCOMPARE(s.SweepPos, pos + 1);
    }

    // From the start, the first press shows the first of the sweep; a tick
    // after each press goes on in the window of the reflection shown.
    void nextReflexWalksTheSweep()
    {
        for (int press = 0; press < 2 * s.ReflexCount + 2; ++press) {
            s.DiffractedBeamColour = 0xABCDEF;
            StepToNextReflex(s);
            const int pos = press % s.ReflexCount;
            QCOMPARE(s.SweepPos, pos);
            QCOMPARE(s.ActiveReflex, s.SweepOrder[static_cast<std::size_t>(pos)]);
            QCOMPARE(s.NextReflex, s.ActiveReflex);
            QCOMPARE(s.Omega, At(s, s.ActiveReflex).OmegaBragg);
            QCOMPARE(s.DiffractedBeamColour, kDarkRed);
            if (press == s.ReflexCount + 1) {
                const int shown = s.ActiveReflex;
                Tick(s);
                QCOMPARE(s.ActiveReflex, shown);
                QCOMPARE(s.SweepPos, pos);
            }
        }
    }

    void intervals_data()
    {
        QTest::addColumn<bool>("faster");
        QTest::addColumn<uint>("start");
        QTest::addColumn<QList<uint>>("sequence");
        QTest::newRow("schneller from 70") << true << 70u << QList<uint>{46, 30, 20, 13, 8, 8, 8};
        QTest::newRow("schneller from 1000")
            << true << 1000u << QList<uint>{666, 444, 296, 197, 131, 87, 58, 38, 25, 16, 10, 10, 10};
        QTest::newRow("schneller at 11") << true << 11u << QList<uint>{7, 7};
        QTest::newRow("langsamer from 70") << false << 70u << QList<uint>{105, 157, 235, 352, 528, 792};
        QTest::newRow("langsamer to the limit") << false << 30000u << QList<uint>{45000, 60000, 60000};
    }

    void intervals()
    {
        QFETCH(bool, faster);
        QFETCH(uint, start);
        QFETCH(QList<uint>, sequence);
        std::uint32_t interval = start;
        QList<uint> got;
        for (qsizetype i = 0; i < sequence.size(); ++i) {
            interval = faster ? FasterInterval(interval) : SlowerInterval(interval);
            got.push_back(interval);
        }
        QCOMPARE(got, sequence);
    }
};

QTEST_APPLESS_MAIN(RotationTest)
#include "test_rotation.moc"
