// The rotation controls through their handlers: the Start/Stop toggle, the
// speed buttons, "Grundposition", "nächsterReflex" and the timer tick.

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <array>
#include <cmath>

#include "app_test_support.h"
#include "lesson/feature_codes.h"

using kb::TForm1;
using namespace kbtest;

namespace {

// The Omega readout as a German user reads it: one decimal, half away from zero.
QString OmegaText(float omegaRad)
{
    const double deg = static_cast<double>(omegaRad) * kb::kRadToDeg;
    const double tenths = std::floor(std::fabs(deg) * 10.0 + 0.5) / 10.0;
    return QStringLiteral("Omega = %1°")
        .arg(QString::number(std::copysign(tenths, deg), 'f', 1).replace('.', ','));
}

void StartLesson(TForm1& form, int number)
{
    form.Edit2->setText(QString::number(number));
    form.Button9->click();
}

const kb::Reflex& ActiveEntry(const TForm1& form)
{
    return form.State().ReflexTable[static_cast<std::size_t>(form.State().ActiveReflex)];
}

}  // namespace

class RotationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }

    void toggleCaptionFollowsTimer();
    void schnellerFrom70();
    void schnellerBeforeFirstStart();
    void langsamerStopsAtOneMinute();
    void grundposition();
    void naechsterReflexStandsExactly();
    void firstActivationAtTick40();
    void runningTimerTurnsTheCrystal();
};

void RotationTest::toggleCaptionFollowsTimer()
{
    TForm1 form;
    form.show();
    StartLesson(form, 1);
    const int passes = form.ScenePassCount();
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 70);
    QCOMPARE(form.Button3->text(), QStringLiteral("Stop"));
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Start"));
    QCOMPARE(form.ScenePassCount(), passes);  // the toggle itself draws nothing

    // A feature list stops the rotation; code 18 starts it. The caption follows both.
    form.Button3->click();
    form.ApplyFeatures({});
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Start"));
    form.ApplyFeatures(std::array<kb::FeatureCode, 2>{19, 18});
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Stop"));
    form.Button3->click();
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Start"));
}

void RotationTest::schnellerFrom70()
{
    TForm1 form;
    form.show();
    StartLesson(form, 1);
    form.Button3->click();
    QCOMPARE(form.Timer1->interval(), 70);
    const int passes = form.ScenePassCount();
    for (const int expected : {46, 30, 20, 13, 8, 8, 8}) {
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QCOMPARE(form.Timer1->interval(), expected);
        QCOMPARE(form.State().TimerInterval, static_cast<std::uint32_t>(expected));
        QVERIFY(form.Timer1->isActive());
    }
    QCOMPARE(form.ScenePassCount(), passes);
}

void RotationTest::schnellerBeforeFirstStart()
{
    TForm1 form;
    form.show();
    StartLesson(form, 1);
    QCOMPARE(form.Timer1->interval(), 1000);
    form.Button2->click();
    QCOMPARE(form.Timer1->interval(), 666);
    QCOMPARE(form.State().TimerInterval, 666u);
    QVERIFY(!form.Timer1->isActive());
    form.Button3->click();
    QCOMPARE(form.Timer1->interval(), 666);
    form.Button3->click();
    for (int i = 0; i < 30; ++i) form.Button2->click();
    QCOMPARE(form.Timer1->interval(), 10);
    QCOMPARE(form.State().TimerInterval, 10u);
}

void RotationTest::langsamerStopsAtOneMinute()
{
    TForm1 form;
    form.show();
    StartLesson(form, 1);
    form.Button3->click();
    for (const int expected : {105, 157, 235, 352, 528}) {
        form.Button8->click();
        QCOMPARE(form.Timer1->interval(), expected);
        QCOMPARE(form.State().TimerInterval, static_cast<std::uint32_t>(expected));
    }
    int previous = form.Timer1->interval();
    for (int i = 0; i < 40; ++i) {
        form.Button8->click();
        QVERIFY(form.Timer1->interval() >= previous && form.Timer1->interval() <= 60000);
        previous = form.Timer1->interval();
    }
    QCOMPARE(form.Timer1->interval(), 60000);
    QCOMPARE(form.State().TimerInterval, 60000u);
    QVERIFY(form.Timer1->isActive());
    form.Button2->click();
    QCOMPARE(form.Timer1->interval(), 40000);
}

void RotationTest::grundposition()
{
    TForm1 form;
    form.show();
    StartLesson(form, 5);  // readouts on, no ground step of its own
    for (int i = 0; i < 5; ++i) form.Button6->click();
    form.Button3->click();
    const kb::Colour colour = kb::MakeRgb(0x12, 0x34, 0x56);
    form.State().DiffractedBeamColour = colour;
    const int passes = form.ScenePassCount();

    QTest::mouseClick(form.Button5, Qt::LeftButton);
    const kb::SimState& s = form.State();
    QCOMPARE(form.ScenePassCount(), passes + 1);
    QCOMPARE(s.Omega, 0.0f);
    QCOMPARE(s.ActiveReflex, -1);
    // The sweep heads for its first reflection again.
    QCOMPARE(s.SweepPos, 0);
    QCOMPARE(s.NextReflex, s.SweepOrder[0]);
    for (int i = 0; i < s.ReflexCount; ++i) {
        QVERIFY(!kb::IsEwaldMarkSet(s.ReflexTable[static_cast<std::size_t>(i)].EwaldMark));
    }
    QVERIFY(form.Timer1->isActive());  // a turning crystal goes on from 0
    QCOMPARE(form.Button3->text(), QStringLiteral("Stop"));
    form.Button3->click();

    // Nothing reflects near the ground position: ticks 1 to 4 show no reflex.
    for (int tick = 1; tick <= 4; ++tick) {
        form.Timer1Timer();
        QCOMPARE(s.ActiveReflex, -1);
        QCOMPARE(s.DiffractedBeamColour, colour);
        QCOMPARE(form.Edit4->text(), QStringLiteral("Bragg-Bedingung nicht erfüllt"));
    }
    // Then the sweep starts at its first position, (-1 3 0) from 9.880 degrees.
    int tick = 4;
    while (s.ActiveReflex == -1 && tick < 200) {
        form.Timer1Timer();
        ++tick;
    }
    QCOMPARE(tick, 40);
    QCOMPARE(ActiveEntry(form).H, -1);
    QCOMPARE(ActiveEntry(form).K, 3);
    QCOMPARE(s.ActiveReflex, s.SweepOrder[0]);
}

void RotationTest::naechsterReflexStandsExactly()
{
    TForm1 form;
    form.show();
    const kb::SimState& s = form.State();
    QCOMPARE(s.ReflexCount, 56);
    // From the start, the first of the sweep, then each in turn and round again.
    for (int press = 1; press <= 58; ++press) {
        const int passes = form.ScenePassCount();
        form.State().DiffractedBeamColour = kb::kWhite;
        QTest::mouseClick(form.Button6, Qt::LeftButton);
        const int expected = s.SweepOrder[static_cast<std::size_t>((press - 1) % 56)];
        QCOMPARE(s.ActiveReflex, expected);
        QCOMPARE(s.NextReflex, expected);
        QCOMPARE(s.Omega, s.ReflexTable[static_cast<std::size_t>(expected)].OmegaBragg);
        QCOMPARE(s.DiffractedBeamColour, kb::kDarkRed);
        QCOMPARE(form.Edit3->text(), OmegaText(s.Omega));
        QCOMPARE(form.ScenePassCount(), passes + 1);
    }
    QVERIFY(!form.Timer1->isActive());
}

void RotationTest::firstActivationAtTick40()
{
    TForm1 form;
    form.show();
    StartLesson(form, 5);  // readouts on; the sweep heads for its first reflection
    const kb::SimState& s = form.State();
    for (int tick = 1; tick <= 39; ++tick) {
        const int passes = form.ScenePassCount();
        form.Timer1Timer();
        QVERIFY2(s.ActiveReflex == -1, qPrintable(QString::number(tick)));
        QCOMPARE(form.ScenePassCount(), passes + 1);
    }
    form.Timer1Timer();
    QVERIFY(s.ActiveReflex >= 0);
    QCOMPARE(ActiveEntry(form).H, -1);
    QCOMPARE(ActiveEntry(form).K, 3);
    QCOMPARE(s.DiffractedBeamColour, s.IntensityRamp[224]);  // 0.880 degrees short of 10.880
    QCOMPARE(form.Edit4->text(), QStringLiteral("Reflex -1 3 0 (= 1. Ordnung von -1 3 0)"));
    QCOMPARE(form.Edit3->text(), QStringLiteral("Omega = 10,0°"));
    QVERIFY(form.ListBox1->isVisibleTo(&form));
    for (int tick = 41; tick <= 44; ++tick) form.Timer1Timer();
    QCOMPARE(ActiveEntry(form).K, 3);
    QCOMPARE(s.DiffractedBeamColour, s.IntensityRamp[31]);  // 11.0 degrees
}

void RotationTest::runningTimerTurnsTheCrystal()
{
    TForm1 form;
    form.show();
    StartLesson(form, 1);
    for (int i = 0; i < 5; ++i) form.Button2->click();
    form.Button3->click();
    QTRY_VERIFY(form.State().Omega > 0.0f);
    form.Button3->click();
    const float stopped = form.State().Omega;
    QTest::qWait(100);
    QCOMPARE(form.State().Omega, stopped);
}

QTEST_MAIN(RotationTest)
#include "rotation_test.moc"
