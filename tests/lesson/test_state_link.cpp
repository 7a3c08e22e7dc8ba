// A lesson's state as a link and as the command line give it: one check of
// names, ranges and messages; the three ways of starting a lesson alike.

#include <QTest>
#include <cmath>
#include <limits>
#include <string>

#include "lesson/experiments.h"
#include "lesson/session.h"
#include "lesson/state_link.h"
#include "model/catalogue.h"
#include "model/crystal_choice.h"
#include "recording_panel.h"

namespace {

using kb::FakeMetrics;

struct Rig {
    kb::RecordingPanel panel;
    FakeMetrics metrics;
    kb::Session session{panel, metrics};
    Rig() { session.FormActivate(); }
};

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

}  // namespace

class StateLinkTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { kb::SetLanguage("de"); }
    void parse_data();
    void parse();
    void linkOpensTheSameState();
    void languageFromALink();
    void everyStartIsTheSame_data();
    void everyStartIsTheSame();
};

void StateLinkTest::parse_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("message");  // empty: accepted
    QTest::addColumn<QString>("experiment");
    QTest::addColumn<float>("latticeB");  // 0: no crystal asked for
    QTest::addColumn<float>("lambda");
    QTest::addColumn<double>("omega");
    QTest::addColumn<int>("speed");  // 0: none

    QTest::newRow("nothing") << "#"
                             << ""
                             << "" << 0.f << 0.f << kNone << 0;
    QTest::newRow("all") << "#experiment=0&lattice=300,300,90&wavelength=70.93&omega=25.5&speed=70"
                         << ""
                         << "0" << 300.f << 70.93f << 25.5 << 70;
    QTest::newRow("comma and encoded") << "lattice=300%2C420%2C90&wavelength=70,93&omega=0,25"
                                       << ""
                                       << "" << 420.f << 70.93f << 0.25 << 0;
    QTest::newRow("wavelength alone") << "wavelength=100"
                                      << ""
                                      << "" << kb::kLatticeBPm << 100.f << kNone << 0;
    QTest::newRow("the last counts") << "experiment=3&experiment=$C&omega=360&speed=60000"
                                     << ""
                                     << "$C" << 0.f << 0.f << 360.0 << 60000;

    const auto bad = [](const char* row, const char* fragment, const std::string& message) {
        QTest::newRow(row) << fragment << QString::fromStdString(message) << "" << 0.f << 0.f << kNone << 0;
    };
    bad("experiment abc", "experiment=abc", "Experiment abc existiert nicht.");
    bad("experiment 15", "experiment=15&omega=3", "Unbekanntes Experiment: 15");
    bad("lattice of two", "lattice=300,300",
        "--lattice 300,300: erwartet werden drei Zahlen A,B,GAMMA, etwa 300,300,90.");
    bad("wavelength Cu", "wavelength=Cu", "--wavelength Cu: erwartet wird eine Wellenlänge in pm.");
    bad("a too small", "lattice=50,300,90", kb::RangeMessage(kb::CrystalField::LatticeA));
    bad("lesson for the standard crystal", "experiment=3&lattice=300,300,90",
        "Experiment 3 ist für den Standardkristall geschrieben; --lattice und --wavelength gehen mit den "
        "Experimenten 0 und -1 oder ohne Experiment.");
    bad("omega 400", "omega=400", "--omega 400: erwartet wird ein Winkel von 0 bis 360 Grad.");
    bad("omega negative", "omega=-1", "--omega -1: erwartet wird ein Winkel von 0 bis 360 Grad.");
    bad("speed 0", "speed=0", "--speed 0: erwartet werden Millisekunden je Drehschritt, von 1 bis 60000.");
    bad("speed 1.5", "speed=1.5",
        "--speed 1.5: erwartet werden Millisekunden je Drehschritt, von 1 bis 60000.");
    bad("speed past a minute", "speed=60001",
        "--speed 60001: erwartet werden Millisekunden je Drehschritt, von 1 bis 60000.");
    bad("unknown name", "experiment=1&zoom=2", "Unbekannte Angabe „zoom“.");
    bad("no value", "omega", "Nach --omega fehlt der Wert.");
    bad("bad escape", "omega=%G1", "--omega %G1: erwartet wird ein Winkel von 0 bis 360 Grad.");
    std::string languages;
    for (const std::string& code : kb::AvailableLanguages()) {
        languages += (languages.empty() ? "" : ", ") + code;
    }
    bad("language without a catalogue", "experiment=3&lang=fr",
        "--lang fr: erwartet wird eine der Sprachen " + languages + ".");
}

void StateLinkTest::parse()
{
    QFETCH(QString, fragment);
    QFETCH(QString, message);
    QFETCH(QString, experiment);
    QFETCH(float, latticeB);
    QFETCH(float, lambda);
    QFETCH(double, omega);
    QFETCH(int, speed);

    const kb::StateParse parse = kb::ParseStateFragment(fragment.toStdString());
    QCOMPARE(QString::fromStdString(parse.message), message);
    QCOMPARE(parse.request.has_value(), message.isEmpty());
    if (!parse.request) {
        // Opened on a running lesson, a bad link changes nothing.
        Rig rig;
        rig.session.StartExperiment(0);
        rig.session.TurnTo(40.0);
        const kb::SimState before = rig.session.State();
        const int passes = rig.session.ScenePassCount();
        const std::string caption = rig.panel.caption;
        QCOMPARE(QString::fromStdString(kb::OpenStateFragment(rig.session, fragment.toStdString())), message);
        QCOMPARE(rig.session.ScenePassCount(), passes);
        QCOMPARE(rig.panel.caption, caption);
        QCOMPARE(rig.session.State().Omega, before.Omega);
        QCOMPARE(rig.session.State().Crystal, before.Crystal);
        QCOMPARE(rig.session.State().TimerInterval, before.TimerInterval);
        return;
    }
    const kb::StateRequest& r = *parse.request;
    QCOMPARE(QString::fromStdString(r.experiment.value_or("")), experiment);
    QCOMPARE(r.crystal.has_value(), latticeB != 0.f);
    if (r.crystal) {
        QCOMPARE(r.crystal->LatticeB, latticeB);
        QCOMPARE(r.crystal->Lambda, lambda);
    }
    QCOMPARE(r.omegaDeg.has_value(), !std::isnan(omega));
    if (r.omegaDeg) {
        QCOMPARE(*r.omegaDeg, omega);
    }
    QCOMPARE(static_cast<int>(r.intervalMs.value_or(0)), speed);
}

// A link copied from one session opens the same state in another: the
// picture's inputs, the panel and the caption, and the link again.
void StateLinkTest::linkOpensTheSameState()
{
    Rig teacher;
    teacher.session.ApplyCrystal({300.f, 300.f, 90.f, 70.93f});
    teacher.session.StartExperiment(0);
    for (int i = 0; i < 37; ++i) {
        teacher.session.Timer1Timer();
    }
    teacher.session.Button8Click();
    const std::string link = kb::StateFragment(teacher.session);
    QVERIFY2(link.starts_with("experiment=0&lattice=300,300,90&wavelength=70.93&omega=") &&
                 link.ends_with("&speed=" + std::to_string(teacher.session.State().TimerInterval)),
             link.c_str());

    Rig student;
    const kb::StateParse parse = kb::ParseStateFragment(link);
    QVERIFY2(parse.request, parse.message.c_str());
    kb::ApplyState(student.session, *parse.request);
    const kb::SimState& a = teacher.session.State();
    const kb::SimState& b = student.session.State();
    QCOMPARE(b.Crystal, a.Crystal);
    QVERIFY(std::fabs(b.Omega - a.Omega) < 1e-5f);  // the link's four decimals of a degree
    QCOMPARE(b.TimerInterval, a.TimerInterval);
    QCOMPARE(student.panel.caption, teacher.panel.caption);
    QCOMPARE(student.panel.checked, teacher.panel.checked);
    QCOMPARE(kb::StateFragment(student.session), link);

    // The lab's crystal stays out of every link.
    teacher.session.StartLab({"K7MX4P", 3, kb::LabLevel::Oblique});
    QCOMPARE(kb::StateFragment(teacher.session), std::string());
}

// "lang" switches every text and keeps the state; a copied link leaves the
// language to its reader.
void StateLinkTest::languageFromALink()
{
    Rig rig;
    rig.session.StartExperiment(12);
    rig.session.TurnTo(40.0);
    const kb::SimState before = rig.session.State();
    const std::string link = kb::StateFragment(rig.session);
    const std::string german = rig.panel.caption;
    QCOMPARE(kb::OpenStateFragment(rig.session, "lang=en"), std::string());
    QCOMPARE(kb::CurrentLanguage(), std::string("en"));
    Rig english;
    english.session.StartExperiment(12);
    QCOMPARE(rig.panel.caption, english.panel.caption);
    QVERIFY(rig.panel.caption != german);
    QCOMPARE(rig.session.State().Omega, before.Omega);
    QCOMPARE(rig.session.State().Crystal, before.Crystal);
    QCOMPARE(kb::StateFragment(rig.session), link);
}

void StateLinkTest::everyStartIsTheSame_data()
{
    QTest::addColumn<int>("number");
    for (const kb::Experiment& experiment : kb::ExperimentCatalogue()) {
        QTest::newRow(kb::ExperimentMenuText(experiment).c_str()) << experiment.number;
    }
}

// "Start" after typing, Enter in the field, and a lesson from a list.
void StateLinkTest::everyStartIsTheSame()
{
    QFETCH(int, number);
    Rig typed, entered, listed;
    for (Rig* rig : {&typed, &entered, &listed}) {
        rig->session.ApplyCrystal({300.f, 300.f, 90.f, 70.93f});
    }
    typed.panel.edit2 = std::to_string(number);
    typed.session.Button9Click();
    entered.panel.edit2 = std::to_string(number);
    entered.session.Edit2Enter();
    listed.panel.edit2 = "1";
    listed.session.StartExperiment(number);
    QCOMPARE(listed.panel.edit2, std::to_string(number));
    for (const Rig* rig : {&entered, &listed}) {
        QCOMPARE(rig->panel.caption, typed.panel.caption);
        QCOMPARE(rig->panel.hidden, typed.panel.hidden);
        QCOMPARE(rig->panel.checked, typed.panel.checked);
        QCOMPARE(rig->panel.radio, typed.panel.radio);
        QCOMPARE(rig->panel.pictures, typed.panel.pictures);
        QCOMPARE(rig->session.State().Crystal, typed.session.State().Crystal);
        QCOMPARE(rig->session.ExperimentNumber(), std::optional<int>(number));
    }
}

QTEST_GUILESS_MAIN(StateLinkTest)
#include "test_state_link.moc"
