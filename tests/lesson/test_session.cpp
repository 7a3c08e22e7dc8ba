// The lessons' core on a panel of plain data, with no toolkit behind it: an
// experiment start gives the lesson's panel, caption and scene passes.

#include <QTest>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lesson/session.h"
#include "recording_panel.h"

using kb::Control;

namespace {

class FakeMetrics final : public kb::TextMetrics {
public:
    int TextWidth(const kb::Font& font, std::string_view text) override
    {
        return font.height * static_cast<int>(text.size()) / 2;
    }
    int TextHeight(const kb::Font& font, std::string_view) override { return font.height; }
};

}  // namespace

Q_DECLARE_METATYPE(std::vector<Control>)

class SessionTest : public QObject {
    Q_OBJECT

private slots:
    void experimentStart_data();
    void experimentStart();
    void rotationThroughThePanel();
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

QTEST_GUILESS_MAIN(SessionTest)
#include "test_session.moc"
