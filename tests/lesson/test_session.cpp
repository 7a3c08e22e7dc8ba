// The lessons' core on a panel of plain data, with no toolkit behind it: an
// experiment start gives the lesson's panel, caption and scene passes.

#include <QPoint>
#include <QTest>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "lesson/session.h"
#include "model/rotation.h"
#include "recording_panel.h"

using kb::Control;

namespace {

using kb::FakeMetrics;

// The steps of a state, on a session after its start: "experiment N", "next N"
// or "next around" (nächsterReflex once more than there are reflections),
// "Grundposition" and "löschen".
bool Run(kb::Session& session, kb::RecordingPanel& panel, const QStringList& steps)
{
    for (const QString& step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words[0] == QStringLiteral("experiment")) {
            panel.edit2 = words[1].toStdString();
            session.Button9Click();
        } else if (words[0] == QStringLiteral("next")) {
            const int presses =
                words[1] == QStringLiteral("around") ? session.State().ReflexCount + 1 : words[1].toInt();
            for (int i = 0; i < presses; ++i) {
                session.Button6Click();
            }
        } else if (words[0] == QStringLiteral("Grundposition")) {
            session.Button5Click();
        } else if (words[0] == QStringLiteral("löschen")) {
            session.Button7Click();
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<Control>)

class SessionTest : public QObject {
    Q_OBJECT

private slots:
    void experimentStart_data();
    void experimentStart();
    void rotationThroughThePanel();
    void fullTurnMeetsEveryReflectionOnce_data();
    void fullTurnMeetsEveryReflectionOnce();
};

void SessionTest::experimentStart_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::addColumn<std::vector<Control>>("checked");
    QTest::addColumn<std::vector<Control>>("hiddenGroups");
    QTest::addColumn<int>("radio");

    using C = Control;
    QTest::newRow("12") << "12"
                        << "Experiment 12: Ewald-Konstruktion des Beugungswinkels"
                        << "" << std::vector<C>{C::primaer,    C::gebeugtCheck, C::CheckBox10,
                                                C::CheckBox11, C::CheckBox3,    C::CheckBox4}
                        << std::vector<C>{C::GroupBox2} << 0;
    QTest::newRow("13") << "13"
                        << "Experiment 13: Reziprokes Gitter und Ewaldkreis"
                        << "" << std::vector<C>{C::primaer,   C::gebeugtCheck, C::CheckBox12,
                                                C::CheckBox2, C::CheckBox3,    C::CheckBox4}
                        << std::vector<C>{} << 2;
    QTest::newRow("abc") << "abc"
                         << "Kein Experiment aktiv"
                         << "Experiment abc existiert nicht." << std::vector<C>{}
                         << std::vector<C>{C::GroupBox1, C::GroupBox2, C::GroupBox3,
                                           C::GroupBox4, C::GroupBox6, C::GroupBox7}
                         << 0;
    QTest::newRow("15") << "15"
                        << "Unbekanntes Experiment"
                        << "" << std::vector<C>{} << std::vector<C>{C::GroupBox1, C::GroupBox2, C::GroupBox3,
                                                                    C::GroupBox4, C::GroupBox6, C::GroupBox7}
                        << 0;
}

void SessionTest::experimentStart()
{
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    QFETCH(std::vector<Control>, checked);
    QFETCH(std::vector<Control>, hiddenGroups);
    QFETCH(int, radio);

    kb::RecordingPanel panel;
    FakeMetrics metrics;
    kb::Session session(panel, metrics);
    session.FormActivate();
    QCOMPARE(panel.checked.size(), 0u);  // the bare panel unchecks what the layout checks
    const int passes = session.ScenePassCount();
    panel.edit2 = typed.toStdString();
    session.Button9Click();

    QCOMPARE(QString::fromStdString(panel.caption), caption);
    QCOMPARE(panel.messages.empty() ? QString() : QString::fromStdString(panel.messages.front()), message);
    QCOMPARE(panel.checked, std::set<Control>(checked.begin(), checked.end()));
    QCOMPARE(panel.radio, radio);
    for (const Control group : {Control::GroupBox1, Control::GroupBox2, Control::GroupBox3,
                                Control::GroupBox4, Control::GroupBox6, Control::GroupBox7}) {
        const bool expectHidden =
            std::find(hiddenGroups.begin(), hiddenGroups.end(), group) != hiddenGroups.end();
        QVERIFY2(panel.Shown(group) != expectHidden, kb::ControlName(group));
    }
    // A started lesson: one pass per box it checks and per change of the
    // radio item, then its own; its pictures reach the panel.
    const bool started = message.isEmpty() && caption.startsWith(QStringLiteral("Experiment"));
    const int expected = started ? static_cast<int>(checked.size()) + (radio != 0 ? 1 : 0) + 1 : 0;
    const bool clears =
        typed == QStringLiteral("13");  // its extra step clears the diffractogram, with a pass
    QCOMPARE(session.ScenePassCount() - passes, expected + (clears ? 1 : 0));
    QCOMPARE(static_cast<int>(panel.pictures.size()), session.ScenePassCount());
    QVERIFY(panel.pictures.back() > 0);
}

void SessionTest::rotationThroughThePanel()
{
    kb::RecordingPanel panel;
    FakeMetrics metrics;
    kb::Session session(panel, metrics);
    session.FormActivate();
    panel.edit2 = "12";
    session.Button9Click();
    session.Button3Click();
    QCOMPARE(panel.timerMs, static_cast<int>(kb::kInitialTimerIntervalMs));
    QCOMPARE(panel.captions[Control::Button3], std::string("Stop"));
    // Ticks until the first reflection: the readouts name it, with the comma.
    while (session.State().ActiveReflex < 0 && session.State().Omega < 1.0f) {
        session.Timer1Timer();
    }
    QVERIFY(session.State().ActiveReflex >= 0);
    QVERIFY(panel.readouts[Control::Edit4].starts_with("Reflex "));
    QVERIFY(panel.readouts[Control::Edit3].find(',') != std::string::npos);
    QVERIFY(panel.Shown(Control::ListBox1));
    session.Button3Click();
    QCOMPARE(panel.timerMs, 0);
    QCOMPARE(panel.captions[Control::Button3], std::string("Start"));
}

void SessionTest::fullTurnMeetsEveryReflectionOnce_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("nextH");  // what "nächsterReflex" then shows
    QTest::addColumn<int>("nextK");

    QTest::newRow("start-up") << QStringList{} << -1 << 3;
    QTest::newRow("lesson started again")
        << QStringList{"experiment 0", "next 6", "experiment 0", "löschen"} << -1 << 3;
    QTest::newRow("Grundposition") << QStringList{"experiment 5", "next 9", "Grundposition"} << -1 << 3;
    QTest::newRow("(1 0) placed by the lesson") << QStringList{"experiment 2", "löschen"} << 2 << 1;
    QTest::newRow("nächsterReflex past the last") << QStringList{"next around", "löschen"} << 0 << 1;
}

// Through the session's own tick, as both front ends turn the crystal. A
// reflection counts when a run of ticks in its window begins, or when it
// stands in Bragg position as the turn starts.
void SessionTest::fullTurnMeetsEveryReflectionOnce()
{
    QFETCH(QStringList, steps);
    QFETCH(int, nextH);
    QFETCH(int, nextK);

    kb::RecordingPanel panel;
    FakeMetrics metrics;
    kb::Session session(panel, metrics);
    session.FormActivate();
    QVERIFY(Run(session, panel, steps));
    const kb::SimState& s = session.State();

    std::vector<int> met(static_cast<std::size_t>(s.ReflexCount), 0);
    int previous = s.ActiveReflex;
    if (previous >= 0) {
        ++met[static_cast<std::size_t>(previous)];
    }
    // One degree short of the full turn: the window of a reflection the turn
    // starts in Bragg position opens again one degree before its angle.
    const double turnDeg = 360.0 - kb::kBraggHalfWindowDeg;
    const auto deg = [](float rad) { return rad * 180.0 / std::numbers::pi; };
    double turnedDeg = 0.0;
    for (int tick = 0;; ++tick) {
        QVERIFY(tick < 2 * 1440);
        const double before = deg(s.Omega);
        const int position = s.SweepPos;
        session.Timer1Timer();
        // The wrap of the sweep from its last position to its first is the crystal coming full circle.
        const bool wrapped = position == s.ReflexCount - 1 && s.SweepPos == 0;
        turnedDeg += deg(s.Omega) - before + (wrapped ? 360.0 : 0.0);
        if (turnedDeg > turnDeg) {
            break;
        }
        if (s.ActiveReflex >= 0 && s.ActiveReflex != previous) {
            ++met[static_cast<std::size_t>(s.ActiveReflex)];
        }
        previous = s.ActiveReflex;
    }
    for (int i = 0; i < s.ReflexCount; ++i) {
        const kb::Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        QVERIFY2(
            met[static_cast<std::size_t>(i)] == 1 && r.PeakRecorded,
            qPrintable(QStringLiteral("(%1 %2) met %3 times").arg(r.H).arg(r.K).arg(met[std::size_t(i)])));
    }

    // The same state once more, and "nächsterReflex" instead of the turn.
    kb::RecordingPanel again;
    kb::Session pressed(again, metrics);
    pressed.FormActivate();
    QVERIFY(Run(pressed, again, steps));
    pressed.Button6Click();
    const kb::Reflex& shown =
        pressed.State().ReflexTable[static_cast<std::size_t>(pressed.State().ActiveReflex)];
    QCOMPARE(QPoint(shown.H, shown.K), QPoint(nextH, nextK));
    QCOMPARE(pressed.State().Omega, shown.OmegaBragg);
}

QTEST_GUILESS_MAIN(SessionTest)
#include "test_session.moc"
