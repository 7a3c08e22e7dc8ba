// Experiment starts: the panel each lesson leaves, the side effects of a
// start, and how the number typed into "Experiment Nr." is read.

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <array>

#include "app_test_support.h"
#include "lesson/feature_codes.h"

using kb::TForm1;
using namespace kbtest;

namespace {

struct Lesson {
    int number;
    const char* title;
    QStringList groups;
    QStringList checked;
    QStringList shownUnchecked;
    int radio;  // selected item, -1 while the radio group is hidden
    bool readouts;
    bool labels;
    const char* placed;  // "h k" in Bragg position, "ground", or "" for none
};

const QStringList kAllGroups = kGroups;

const QList<Lesson>& Lessons()
{
    static const QList<Lesson> lessons = {
        {-1, "Alle Optionen inaktiv", {}, {}, {}, -1, false, true, ""},
        {0,
         "Alle Optionen aktiv",
         kAllGroups,
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox10",
          "CheckBox11", "CheckBox12", "CheckBox2", "CheckBox3", "CheckBox9", "CheckBox4", "CheckBox6"},
         {"Button6"},
         2,
         true,
         true,
         ""},
        {1,
         "Kristallgitter",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox7"},
         {"CheckBox12"},
         {"primaer", "CheckBox5", "CheckBox7"},
         -1,
         false,
         true,
         ""},
        {2,
         "Gitter mit Netzebenen",
         {"GroupBox1", "GroupBox6", "GroupBox3"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7"},
         {"Button6"},
         -1,
         true,
         true,
         "1 0"},
        {3,
         "Winkel-Definitionen, Beugungsordnung und Bragg'sche Gleichung",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox7"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox10"},
         {"Button6", "CheckBox11", "CheckBox12"},
         -1,
         true,
         true,
         "1 0"},
        {4,
         "Diffraktogramm",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox7", "GroupBox2"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox11", "CheckBox12"},
         {"Button6", "CheckBox10", "CheckBox2"},
         -1,
         true,
         true,
         "ground"},
        {5,
         "Streuvektor",
         {"GroupBox1", "GroupBox6", "GroupBox3"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8"},
         {"Button6"},
         -1,
         true,
         true,
         ""},
        {6,
         "Streuvektor (anderer Ursprung)",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox3"},
         {"Button6"},
         -1,
         true,
         true,
         ""},
        {7,
         "Die Menge der Streuvektoren",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox3"},
         {"Button6", "CheckBox8"},
         1,
         true,
         true,
         "ground"},
        {8,
         "Reflex 100 im direkten und im reziproken Gitter",
         {"GroupBox6", "GroupBox3", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox3"},
         {},
         1,
         false,
         true,
         "1 0"},
        {9,
         "Winkel im reziproken Gitter",
         {"GroupBox6", "GroupBox3", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox3",
          "CheckBox9"},
         {},
         1,
         false,
         true,
         "0 1"},
        {10,
         "Absolute Positionen der Streuvektoren",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox1", "CheckBox3", "CheckBox6"},
         {"Button6", "CheckBox5", "CheckBox7", "CheckBox8", "CheckBox9"},
         0,
         true,
         true,
         ""},
        {11,
         "EwaldKreis",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox3", "CheckBox9", "CheckBox4", "CheckBox6"},
         {"Button6", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8"},
         0,
         false,
         true,
         "ground"},
        {12,
         "Ewald-Konstruktion des Beugungswinkels",
         {"GroupBox1", "GroupBox6", "GroupBox3", "GroupBox7", "GroupBox4"},
         {"primaer", "gebeugtCheck", "CheckBox10", "CheckBox11", "CheckBox3", "CheckBox4"},
         {"Button6", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox12", "CheckBox9",
          "CheckBox6"},
         0,
         true,
         true,
         "ground"},
        {13,
         "Reziprokes Gitter und Ewaldkreis",
         kAllGroups,
         {"primaer", "gebeugtCheck", "CheckBox12", "CheckBox2", "CheckBox3", "CheckBox4"},
         {"Button6", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox10", "CheckBox11",
          "CheckBox9", "CheckBox6"},
         2,
         true,
         true,
         "ground"},
        {14,
         "Unbekannter Kristall",
         kAllGroups,
         {"primaer", "gebeugtCheck", "CheckBox12", "CheckBox3", "CheckBox4"},
         {"Button6", "CheckBox5", "CheckBox1", "CheckBox7", "CheckBox8", "CheckBox10", "CheckBox11",
          "CheckBox2", "CheckBox9", "CheckBox6"},
         1,
         true,
         false,
         "ground"},
    };
    return lessons;
}

QString CaptionOf(int number)
{
    for (const Lesson& l : Lessons()) {
        if (l.number == number) {
            return QStringLiteral("Experiment %1: %2").arg(number).arg(QString::fromUtf8(l.title));
        }
    }
    return {};
}

void Start(TForm1& form, const QString& text)
{
    form.Edit2->setText(text);
    QTest::mouseClick(form.Button9, Qt::LeftButton);
}

int IndexOf(const TForm1& form, int h, int k)
{
    const kb::SimState& s = form.State();
    for (int i = 0; i < s.ReflexCount; ++i) {
        if (s.ReflexTable[static_cast<std::size_t>(i)].H == h &&
            s.ReflexTable[static_cast<std::size_t>(i)].K == k) {
            return i;
        }
    }
    return -1;
}

struct ModelSnapshot {
    float omega;
    int active;
    int passes;
    std::string title;
    friend bool operator==(const ModelSnapshot&, const ModelSnapshot&) = default;
};

ModelSnapshot ModelOf(const TForm1& form)
{
    return {form.State().Omega, form.State().ActiveReflex, form.ScenePassCount(),
            form.State().ExperimentTitle};
}

}  // namespace

class ExperimentsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }

    void resultingPanel_data();
    void resultingPanel();
    void firstExperimentRunsTwoPasses();
    void sameExperimentTwice();
    void speedSurvivesEveryStart();
    void nineAfterEightKeepsTheMarkOf100();
    void diffractogramClearedAndBeamColourReset();

    void typedNumber_data();
    void typedNumber();
    void outOfRangeWhileTurning();
};

void ExperimentsTest::resultingPanel_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("before");  // experiment started first, or none
    for (const Lesson& l : Lessons()) {
        QTest::addRow("%d fresh", l.number) << l.number << -99;
        QTest::addRow("%d after another", l.number) << l.number << (l.number == 0 ? 14 : 0);
    }
}

void ExperimentsTest::resultingPanel()
{
    QFETCH(int, number);
    QFETCH(int, before);
    const Lesson& lesson = *std::find_if(Lessons().begin(), Lessons().end(),
                                         [number](const Lesson& l) { return l.number == number; });
    TForm1 form;
    form.show();
    if (before != -99) {
        // Leave as much behind as possible: a reflection in Bragg position and a turning crystal.
        Start(form, QString::number(before));
        form.Button6->click();
        form.Button3->click();
        QVERIFY(form.Timer1->isActive());
    }
    Start(form, QString::number(number));

    QCOMPARE(form.windowTitle(), CaptionOf(number));
    QCOMPARE(QString::fromStdString(form.State().ExperimentTitle), CaptionOf(number));
    QVERIFY(Shown(form, "GroupBox5") && Shown(form, "Button1"));
    for (const QString& group : kGroups) {
        QVERIFY2(Shown(form, group) == lesson.groups.contains(group), qPrintable(group));
    }
    if (lesson.groups.contains("GroupBox1")) {
        for (const char* name : {"Button3", "Button5", "Button2", "Button8"}) {
            QVERIFY2(Shown(form, name), name);
        }
    }
    for (const QString& name : kOptionalControls) {
        const bool checked = lesson.checked.contains(name);
        const bool shown = checked || lesson.shownUnchecked.contains(name);
        QVERIFY2(Shown(form, name) == shown, qPrintable(name + (shown ? " hidden" : " shown")));
        QVERIFY2(Checked(form, name) == checked, qPrintable(name + (checked ? " unchecked" : " checked")));
    }
    QCOMPARE(Shown(form, "RadioGroup1"), lesson.radio >= 0);
    QCOMPARE(form.RadioGroup1ItemIndex(), std::max(lesson.radio, 0));
    QCOMPARE(form.State().ShowReadouts, lesson.readouts);
    QCOMPARE(form.Edit4->isVisibleTo(&form), lesson.readouts);
    QCOMPARE(form.State().ShowIndexLabels, lesson.labels);

    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Start"));
    const QString placed = QString::fromLatin1(lesson.placed);
    const kb::SimState& s = form.State();
    if (placed == "ground" || placed.isEmpty()) {
        QCOMPARE(s.ActiveReflex, -1);
        QCOMPARE(s.Omega, 0.0f);
        QVERIFY(!form.ListBox1->isVisibleTo(&form));
        if (lesson.readouts) {
            QCOMPARE(form.Edit4->text(), QStringLiteral("Bragg-Bedingung nicht erfüllt"));
        }
    } else {
        const QStringList hk = placed.split(' ');
        const int index = IndexOf(form, hk[0].toInt(), hk[1].toInt());
        QCOMPARE(s.ActiveReflex, index);
        QCOMPARE(s.Omega, s.ReflexTable[static_cast<std::size_t>(index)].OmegaBragg);
        QCOMPARE(form.ListBox1->isVisibleTo(&form), lesson.readouts);
        if (lesson.readouts) {
            QCOMPARE(form.Edit4->text(),
                     QStringLiteral("Reflex %1 %2 0 (= 1. Ordnung von %1 %2 0)").arg(hk[0], hk[1]));
            QCOMPARE(form.ListBox1->count(), 4);
        }
    }
    if (placed == "ground") {
        QCOMPARE(s.SweepPos, 0);
        QCOMPARE(s.NextReflex, s.SweepOrder[0]);
        for (int i = 0; i < s.ReflexCount; ++i) {
            QVERIFY(!kb::IsEwaldMarkSet(s.ReflexTable[static_cast<std::size_t>(i)].EwaldMark));
        }
    }
}

void ExperimentsTest::firstExperimentRunsTwoPasses()
{
    TForm1 form;
    form.show();
    const int passes = form.ScenePassCount();
    Start(form, "1");
    QCOMPARE(form.ScenePassCount(), passes + 2);  // "Omega" checked, then the start's own pass
}

void ExperimentsTest::sameExperimentTwice()
{
    for (const char* number : {"0", "3", "9", "13"}) {
        TForm1 form;
        form.show();
        Start(form, number);
        const auto panel = PanelSnapshot(form);
        const float omega = form.State().Omega;
        form.ApplyFeatures(std::array<kb::FeatureCode, 1>{18});  // turning, as feature code 18 leaves it
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Button3->text(), QStringLiteral("Stop"));
        form.Timer1Timer();
        Start(form, number);
        QCOMPARE(PanelSnapshot(form), panel);
        QCOMPARE(form.State().Omega, omega);
        QVERIFY(!form.Timer1->isActive());
    }
}

void ExperimentsTest::speedSurvivesEveryStart()
{
    TForm1 form;
    form.show();
    for (int i = 0; i < 3; ++i) form.Button2Click();  // 1000 -> 666 -> 444 -> 296
    QCOMPARE(form.State().TimerInterval, 296u);
    for (const Lesson& l : Lessons()) {
        Start(form, QString::number(l.number));
        QCOMPARE(form.State().TimerInterval, 296u);
    }
    Start(form, "1");
    form.Button3->click();
    QCOMPARE(form.Timer1->interval(), 296);
}

void ExperimentsTest::nineAfterEightKeepsTheMarkOf100()
{
    TForm1 fresh;
    fresh.show();
    Start(fresh, "9");
    QCOMPARE(fresh.RadioGroup1ItemIndex(), 1);
    QCOMPARE(RedDiscCount(fresh.LatestPass()), 1);
    QVERIFY(Texts(fresh.LatestPass()).contains("0 1"));
    QVERIFY(!Texts(fresh.LatestPass()).contains("1 0"));

    TForm1 form;
    form.show();
    Start(form, "8");
    QCOMPARE(RedDiscCount(form.LatestPass()), 1);
    Start(form, "9");
    QCOMPARE(RedDiscCount(form.LatestPass()), 2);
    QVERIFY(Texts(form.LatestPass()).contains("0 1"));
    QVERIFY(Texts(form.LatestPass()).contains("1 0"));
}

void ExperimentsTest::diffractogramClearedAndBeamColourReset()
{
    TForm1 form;
    form.show();
    Start(form, "2");  // (1 0 0) in Bragg position: its peak goes in
    const auto& bins = form.State().Diffractogram;
    QVERIFY(std::any_of(bins.begin(), bins.end(), [](float v) { return v > 0.0f; }));
    Start(form, "4");
    QVERIFY(std::all_of(bins.begin(), bins.end(), [](float v) { return v == 0.0f; }));

    Start(form, "5");
    for (int i = 0; i < 45; ++i) form.Timer1Timer();  // fades the beam far from Bragg position
    QVERIFY(form.State().DiffractedBeamColour != kb::kDarkRed);
    Start(form, "8");
    QCOMPARE(form.State().DiffractedBeamColour, kb::kDarkRed);
}

void ExperimentsTest::typedNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("outcome");  // "start N", "unknown" or "message"
    QTest::newRow("leading space") << " 7"
                                   << "start 7";
    QTest::newRow("leading zero") << "07"
                                  << "start 7";
    QTest::newRow("dollar hex") << "$A"
                                << "start 10";
    QTest::newRow("0x hex") << "0xA"
                            << "start 10";
    QTest::newRow("X hex") << "X0e"
                           << "start 14";
    QTest::newRow("hex pattern of -1") << "$FFFFFFFF"
                                       << "start -1";
    QTest::newRow("plus") << "+3"
                          << "start 3";
    QTest::newRow("minus one") << "-1"
                               << "start -1";
    QTest::newRow("zero") << "0"
                          << "start 0";
    QTest::newRow("15") << "15"
                        << "unknown";
    QTest::newRow("-2") << "-2"
                        << "unknown";
    QTest::newRow("int max") << "2147483647"
                             << "unknown";
    QTest::newRow("int min") << "-2147483648"
                             << "unknown";
    QTest::newRow("hex int min") << "0x80000000"
                                 << "unknown";
    QTest::newRow("trailing space") << "7 "
                                    << "message";
    QTest::newRow("empty") << ""
                           << "message";
    QTest::newRow("int max + 1") << "2147483648"
                                 << "message";
    QTest::newRow("hex over 32 bits") << "$100000000"
                                      << "message";
    QTest::newRow("letters") << "abc"
                             << "message";
    QTest::newRow("sign only") << "-"
                               << "message";
    QTest::newRow("prefix only") << "0x"
                                 << "message";
    QTest::newRow("exponent") << "1e3"
                              << "message";
    QTest::newRow("arabic-indic digit") << "٣"
                                        << "message";
    QTest::newRow("space after sign") << "- 7"
                                      << "message";
    QTest::newRow("markup") << "<b>7</b>"
                            << "message";
}

void ExperimentsTest::typedNumber()
{
    QFETCH(QString, typed);
    QFETCH(QString, outcome);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Start(form, "3");  // a lesson with a reflection in place, so a change would show
    QCoreApplication::processEvents();
    auto panel = PanelSnapshot(form);
    const ModelSnapshot model = ModelOf(form);

    MessageBoxCatcher catcher;
    catcher.Arm();
    form.Edit2->setText(typed);
    panel["#edit2"] = typed;
    form.Button9->click();
    QCoreApplication::processEvents();

    if (outcome == "message") {
        QVERIFY(catcher.seen);
        QCOMPARE(catcher.text, QStringLiteral("Experiment ") + typed + QStringLiteral(" existiert nicht."));
        QCOMPARE(catcher.title, QStringLiteral("Kristallbeugung"));
        QCOMPARE(catcher.format, Qt::PlainText);
        QCOMPARE(catcher.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(PanelSnapshot(form), panel);
        QVERIFY(ModelOf(form) == model);
        return;
    }
    QVERIFY(!catcher.seen);
    if (outcome == "unknown") {
        panel["#caption"] = QStringLiteral("Unbekanntes Experiment");
        QCOMPARE(PanelSnapshot(form), panel);
        QVERIFY(ModelOf(form) == model);
        return;
    }
    const int number = outcome.mid(6).toInt();
    QCOMPARE(form.windowTitle(), CaptionOf(number));
    QCOMPARE(form.Edit2->text(), typed);
}

void ExperimentsTest::outOfRangeWhileTurning()
{
    TForm1 form;
    form.show();
    Start(form, "1");
    form.Button3->click();
    for (int i = 0; i < 20; ++i) form.Timer1Timer();
    const float omega = form.State().Omega;
    const int passes = form.ScenePassCount();
    Start(form, "15");
    QCOMPARE(form.windowTitle(), QStringLiteral("Unbekanntes Experiment"));
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Stop"));
    QCOMPARE(form.State().Omega, omega);
    QCOMPARE(form.ScenePassCount(), passes);
    QCOMPARE(QString::fromStdString(form.State().ExperimentTitle), CaptionOf(1));
}

QTEST_MAIN(ExperimentsTest)
#include "experiments_test.moc"
