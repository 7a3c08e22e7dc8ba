// A long run of the rotation: 20 000 ticks of experiment 0 through the real
// tick handler, checking that the crystal angle, the state and the recorded
// pictures stay sane, that every sweep visits every reflection once, and that
// the process does not grow while it turns.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "model/sim_state.h"
#include "render/draw_list.h"

#if defined(__SANITIZE_ADDRESS__)
#define KB_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KB_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef KB_ADDRESS_SANITIZER
#define KB_ADDRESS_SANITIZER 0
#endif

namespace {

constexpr int kTicks = 20000;
constexpr int kClientWidthPx = 640;
constexpr int kClientHeightPx = 480;
// The drawing area gets its queued repaint every few ticks, so the painting
// side runs too without making the run slow.
constexpr int kTicksPerRepaint = 8;
constexpr float kOmegaSlackDeg = 1.0f;
constexpr float kFullTurnDeg = 360.0f;
// No legitimate op reaches further than this many window sizes off screen;
// a NaN or infinity rounded to int lands far beyond it.
constexpr int kMaxOffScreenWindows = 50;
constexpr long kMemoryToleranceKiB = 2048;

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = -1;
            status >> kib;
            return kib;
        }
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return -1;
}

bool Finite(float v)
{
    return std::isfinite(v);
}
bool Finite(const kb::Point& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The first float of the state that is not finite, by name, or empty.
QString FirstNonFinite(const kb::SimState& s)
{
    const std::pair<const char*, float> scalars[] = {{"Omega", s.Omega},
                                                     {"WindowStart", s.WindowStart},
                                                     {"WindowEnd", s.WindowEnd},
                                                     {"CurrentBragg", s.CurrentBragg},
                                                     {"ViewScale", s.ViewScale},
                                                     {"InverseScale", s.InverseScale},
                                                     {"VF", s.VF},
                                                     {"SinOmega", s.SinOmega},
                                                     {"CosOmega", s.CosOmega},
                                                     {"ScatterLength", s.ScatterLength}};
    for (const auto& [name, value] : scalars) {
        if (!Finite(value)) {
            return QString::fromLatin1(name);
        }
    }
    if (!Finite(s.CrystalCentre) || !Finite(s.CrystalPixel) || !Finite(s.ReciprocalOrigin)) {
        return QStringLiteral("a frame origin");
    }
    for (int i = 0; i < s.ReflexCount; ++i) {
        if (!Finite(s.ReflexTable[static_cast<std::size_t>(i)].EwaldMark)) {
            return QStringLiteral("EwaldMark of entry %1").arg(i);
        }
    }
    for (std::size_t i = 0; i < s.Diffractogram.size(); ++i) {
        if (!Finite(s.Diffractogram[i])) {
            return QStringLiteral("Diffractogram bin %1").arg(i);
        }
    }
    return {};
}

// The first op coordinate outside `limit` in either direction, described, or empty.
QString FirstWildCoordinate(const kb::DrawList& list, int limit)
{
    for (std::size_t i = 0; i < list.ops.size(); ++i) {
        const kb::DrawOp& op = list.ops[i];
        for (int c : op.c) {
            if (std::abs(static_cast<long long>(c)) > limit) {
                return QStringLiteral("op %1 has coordinate %2").arg(i).arg(c);
            }
        }
        for (std::size_t p = op.firstPoint; p < op.firstPoint + op.pointCount; ++p) {
            const kb::ScreenPoint& sp = list.points[p];
            if (std::abs(static_cast<long long>(sp.x)) > limit ||
                std::abs(static_cast<long long>(sp.y)) > limit) {
                return QStringLiteral("op %1 has point (%2, %3)").arg(i).arg(sp.x).arg(sp.y);
            }
        }
    }
    return {};
}

}  // namespace

class SoakRotation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void omegaStaysWithinOneTurn();
    void stateAndPicturesStaySane();
    void everySweepActivatesEachReflexOnce();
    void memoryDoesNotGrowAfterTheFirstSweep();

private:
    // Results of the one long run, checked by the cases below.
    float minOmegaDeg_ = std::numeric_limits<float>::max();
    float maxOmegaDeg_ = std::numeric_limits<float>::lowest();
    int minOmegaTick_ = -1;
    int maxOmegaTick_ = -1;
    QString firstInsanity_;
    int passesMissed_ = 0;
    int reflexCount_ = 0;
    std::vector<std::vector<int>> activationsPerSweep_;  // complete sweeps only
    long memoryAfterFirstSweepKiB_ = -1;
    long memoryAtEndKiB_ = -1;
};

void SoakRotation::initTestCase()
{
    kb::TForm1 form;
    form.show();
    form.ResizeClient(QSize(kClientWidthPx, kClientHeightPx));
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9Click();
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 0: Alle Optionen aktiv"));

    const kb::SimState& s = form.State();
    reflexCount_ = s.ReflexCount;
    QVERIFY(reflexCount_ > 0);
    const int limit = kMaxOffScreenWindows * std::max(kClientWidthPx, kClientHeightPx);
    const long startKiB = ResidentKiB();
    QVERIFY(startKiB > 0);

    // The lesson starts the crystal at 0 with the sweep at its first
    // reflection, so the first sweep is a complete one too.
    std::vector<int> counts(static_cast<std::size_t>(reflexCount_), 0);  // activations in the sweep under way
    int previousActive = -1;
    for (int tick = 0; tick < kTicks; ++tick) {
        const int passesBefore = form.ScenePassCount();
        const int sweepPosBefore = s.SweepPos;
        form.Timer1Timer();
        if (form.ScenePassCount() != passesBefore + 1) {
            ++passesMissed_;
        }
        if (tick % kTicksPerRepaint == 0) {
            QCoreApplication::processEvents();
        }

        const float omegaDeg = s.Omega * kb::kRadToDeg;
        if (omegaDeg < minOmegaDeg_) {
            minOmegaDeg_ = omegaDeg;
            minOmegaTick_ = tick;
        }
        if (omegaDeg > maxOmegaDeg_) {
            maxOmegaDeg_ = omegaDeg;
            maxOmegaTick_ = tick;
        }
        if (firstInsanity_.isEmpty()) {
            QString problem = FirstNonFinite(s);
            if (problem.isEmpty()) {
                problem = FirstWildCoordinate(form.LatestPass(), limit);
            }
            if (!problem.isEmpty()) {
                firstInsanity_ = QStringLiteral("tick %1: %2").arg(tick).arg(problem);
            }
        }

        // A reflection is activated on the first tick of a run in which it is active.
        if (s.ActiveReflex >= 0 && s.ActiveReflex != previousActive) {
            ++counts[static_cast<std::size_t>(s.ActiveReflex)];
        }
        previousActive = s.ActiveReflex;

        // The sweep wraps when the position falls back to the start.
        if (s.SweepPos < sweepPosBefore) {
            activationsPerSweep_.push_back(counts);
            if (activationsPerSweep_.size() == 1) {
                memoryAfterFirstSweepKiB_ = ResidentKiB();
            }
            counts.assign(static_cast<std::size_t>(reflexCount_), 0);
        }
    }
    memoryAtEndKiB_ = ResidentKiB();
    qInfo(
        "soak: %d ticks, %zu complete sweeps; VmRSS at start %ld KiB, after the first sweep %ld KiB, "
        "at the end %ld KiB",
        kTicks, activationsPerSweep_.size(), startKiB, memoryAfterFirstSweepKiB_, memoryAtEndKiB_);
}

void SoakRotation::omegaStaysWithinOneTurn()
{
    QVERIFY2(
        minOmegaDeg_ >= -kOmegaSlackDeg,
        qPrintable(QStringLiteral("Omega fell to %1 deg at tick %2").arg(minOmegaDeg_).arg(minOmegaTick_)));
    QVERIFY2(
        maxOmegaDeg_ <= kFullTurnDeg + kOmegaSlackDeg,
        qPrintable(QStringLiteral("Omega rose to %1 deg at tick %2").arg(maxOmegaDeg_).arg(maxOmegaTick_)));
    // The crystal really turned round: the run covers the circle many times.
    QVERIFY(maxOmegaDeg_ - minOmegaDeg_ > kFullTurnDeg - 20.0f);
}

void SoakRotation::stateAndPicturesStaySane()
{
    QVERIFY2(firstInsanity_.isEmpty(), qPrintable(firstInsanity_));
    QCOMPARE(passesMissed_, 0);
}

void SoakRotation::everySweepActivatesEachReflexOnce()
{
    // About 1400 ticks a turn: 20 000 ticks hold well over ten complete sweeps.
    QVERIFY2(activationsPerSweep_.size() >= 10,
             qPrintable(QStringLiteral("only %1 complete sweeps").arg(activationsPerSweep_.size())));
    for (std::size_t sweep = 0; sweep < activationsPerSweep_.size(); ++sweep) {
        const std::vector<int>& counts = activationsPerSweep_[sweep];
        for (int r = 0; r < reflexCount_; ++r) {
            QVERIFY2(counts[static_cast<std::size_t>(r)] == 1,
                     qPrintable(QStringLiteral("sweep %1: table entry %2 activated %3 times")
                                    .arg(sweep)
                                    .arg(r)
                                    .arg(counts[static_cast<std::size_t>(r)])));
        }
    }
}

void SoakRotation::memoryDoesNotGrowAfterTheFirstSweep()
{
    QVERIFY(memoryAfterFirstSweepKiB_ > 0);
    QVERIFY(memoryAtEndKiB_ > 0);
    qInfo("soak: VmRSS before %ld KiB, after %ld KiB", memoryAfterFirstSweepKiB_, memoryAtEndKiB_);
#if KB_ADDRESS_SANITIZER
    // AddressSanitizer keeps freed blocks in a quarantine of up to 256 MiB, so
    // resident memory climbs until that is full, the slower the less a pass
    // frees. The normal build checks the program's own memory.
    QSKIP("resident memory under AddressSanitizer includes its quarantine of freed blocks");
#endif
    QVERIFY2(memoryAtEndKiB_ - memoryAfterFirstSweepKiB_ <= kMemoryToleranceKiB,
             qPrintable(QStringLiteral("resident memory grew by %1 KiB")
                            .arg(memoryAtEndKiB_ - memoryAfterFirstSweepKiB_)));
}

QTEST_MAIN(SoakRotation)
#include "soak_rotation.moc"
