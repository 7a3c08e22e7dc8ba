// Choosing another crystal: the dialog's presets, fields and refusals, and
// what the window does with a choice (rotation, caption, lessons).

#include <QAccessible>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/crystal_dialog.h"
#include "app_test_support.h"
#include "model/diffractogram.h"

using kb::CrystalCheck;
using kb::CrystalDialog;
using kb::CrystalParams;
using kb::TForm1;
using namespace kbtest;

Q_DECLARE_METATYPE(CrystalParams)

namespace {

constexpr CrystalParams kSquareMo{300.0f, 300.0f, 90.0f, 70.930f};
const QString kSquareMoSuffix = QStringLiteral(" (a = 300 pm, b = 300 pm, γ = 90°, λ = 70,93 pm)");

// A dialog whose choices are recorded instead of applied.
struct DialogRig {
    QList<CrystalParams> applied;
    CrystalDialog dialog{nullptr, [this](const CrystalParams& c) {
                             applied << c;
                             return kb::CheckCrystal(c);
                         }};
};

void Type(QDoubleSpinBox* spin, const QString& text)
{
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
}

bool Marked(QDoubleSpinBox* spin)
{
    return spin->palette().color(QPalette::Base) != QPalette().color(QPalette::Base) &&
           spin->accessibleDescription().startsWith(QStringLiteral("Ungültig"));
}

// Everything a crystal change must leave alone on the panel.
QMap<QString, QString> ChecksAndShown(TForm1& form)
{
    QMap<QString, QString> panel = PanelSnapshot(form);
    for (const char* moving : {"#button3", "#timer", "#caption"}) {
        panel.remove(QString::fromLatin1(moving));
    }
    return panel;
}

void Start(TForm1& form, const QString& number)
{
    form.Edit2->setText(number);
    form.Button9->click();
}

}  // namespace

class CrystalTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }

    void presetsFillTheFields_data();
    void presetsFillTheFields();
    void editingMakesFree();
    void refusedAndMarked_data();
    void refusedAndMarked();
    void decimalsEitherWay_data();
    void decimalsEitherWay();
    void unchangedOkKeepsTheLesson_data();
    void unchangedOkKeepsTheLesson();
    void changeWithPeaksAsks();

    void applyStopsTheRotationOnly();
    void captionFollowsTheCrystal();
};

void CrystalTest::presetsFillTheFields_data()
{
    QTest::addColumn<QString>("lattice");
    QTest::addColumn<QString>("radiation");
    QTest::addColumn<CrystalParams>("expected");
    QTest::newRow("standard") << "schiefwinklig (Standard)"
                              << "Cu Kα1" << kb::kStandardCrystal;
    QTest::newRow("rectangular, Mo") << "rechtwinklig"
                                     << "Mo Kα1" << CrystalParams{300, 390, 90, 70.930f};
    QTest::newRow("square, Co") << "quadratisch"
                                << "Co Kα1" << CrystalParams{300, 300, 90, 178.897f};
    QTest::newRow("hexagonal, Cr") << "hexagonal"
                                   << "Cr Kα1" << CrystalParams{300, 300, 120, 228.970f};
}

void CrystalTest::presetsFillTheFields()
{
    QFETCH(QString, lattice);
    QFETCH(QString, radiation);
    QFETCH(CrystalParams, expected);
    DialogRig rig;
    rig.dialog.SetCrystal({123.0f, 456.0f, 77.0f, 99.0f});
    QCOMPARE(rig.dialog.latticeChoice->currentText(), QStringLiteral("frei"));
    QCOMPARE(rig.dialog.radiationChoice->currentText(), QStringLiteral("frei"));
    // Chosen as a user does, so that the choice's own signal fills the fields.
    QComboBox* lattices = rig.dialog.latticeChoice;
    emit lattices->activated(lattices->findText(lattice));
    QComboBox* radiations = rig.dialog.radiationChoice;
    emit radiations->activated(radiations->findText(radiation));
    QVERIFY(rig.dialog.Crystal() == expected);
    QCOMPARE(lattices->currentText(), lattice);
    QCOMPARE(radiations->currentText(), radiation);
    rig.dialog.okButton->click();
    QCOMPARE(rig.applied.size(), 1);
    QVERIFY(rig.applied.front() == expected);
}

void CrystalTest::editingMakesFree()
{
    DialogRig rig;
    rig.dialog.show();
    Type(rig.dialog.gammaSpin, QStringLiteral("100"));
    QCOMPARE(rig.dialog.latticeChoice->currentText(), QStringLiteral("frei"));
    QCOMPARE(rig.dialog.radiationChoice->currentText(), QStringLiteral("Cu Kα1"));
    Type(rig.dialog.lambdaSpin, QStringLiteral("100,5"));
    QCOMPARE(rig.dialog.radiationChoice->currentText(), QStringLiteral("frei"));
    QCOMPARE(rig.dialog.lambdaSpin->value(), 100.5);
    // Typed back to a preset's values, the preset shows again.
    Type(rig.dialog.gammaSpin, QStringLiteral("111"));
    QCOMPARE(rig.dialog.latticeChoice->currentText(), QStringLiteral("schiefwinklig (Standard)"));
}

void CrystalTest::refusedAndMarked_data()
{
    QTest::addColumn<CrystalParams>("crystal");
    QTest::addColumn<QString>("field");  // the marked one, or none
    QTest::addColumn<QString>("message");
    QTest::newRow("a too short") << CrystalParams{50, 390, 111, 154.051f} << "aSpin"
                                 << "a muss zwischen 100 und 1000 pm liegen.";
    QTest::newRow("gamma too wide") << CrystalParams{300, 390, 170, 154.051f} << "gammaSpin"
                                    << "γ muss zwischen 60° und 150° liegen.";
    QTest::newRow("lambda too long") << CrystalParams{300, 390, 111, 600} << "lambdaSpin"
                                     << "λ muss zwischen 50 und 500 pm liegen.";
    const CrystalParams crowded{500, 500, 90, 70.930f};
    QTest::newRow("too many reflections")
        << crowded << ""
        << QStringLiteral("Diese Wahl ergäbe %1 Reflexe").arg(kb::CheckCrystal(crowded).reflexCount);
}

void CrystalTest::refusedAndMarked()
{
    QFETCH(CrystalParams, crystal);
    QFETCH(QString, field);
    QFETCH(QString, message);
    DialogRig rig;
    rig.dialog.show();
    rig.dialog.SetCrystal(crystal);
    rig.dialog.okButton->click();
    QVERIFY(rig.applied.isEmpty());
    QVERIFY(rig.dialog.isVisible());
    QVERIFY2(rig.dialog.checkMessage->text().contains(message), qPrintable(rig.dialog.checkMessage->text()));
    QCOMPARE(QAccessible::queryAccessibleInterface(rig.dialog.checkMessage)->text(QAccessible::Name),
             rig.dialog.checkMessage->text());
    for (QDoubleSpinBox* spin : rig.dialog.findChildren<QDoubleSpinBox*>()) {
        QCOMPARE(Marked(spin), spin->objectName() == field);
    }
    if (!field.isEmpty()) {
        auto* bad = rig.dialog.findChild<QDoubleSpinBox*>(field);
        QVERIFY(bad->accessibleDescription().contains(message));
        QCOMPARE(rig.dialog.focusWidget(), bad);
    }
    // Put right, the marking goes and the choice is taken.
    rig.dialog.SetCrystal(kb::kStandardCrystal);
    for (QDoubleSpinBox* spin : rig.dialog.findChildren<QDoubleSpinBox*>()) {
        QVERIFY(!Marked(spin));
    }
    rig.dialog.okButton->click();
    QCOMPARE(rig.applied.size(), 1);
    QVERIFY(!rig.dialog.isVisible());
}

void CrystalTest::decimalsEitherWay_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("value");
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("de, point") << german << "154.051" << 154.051;
    QTest::newRow("de, comma") << german << "154,051" << 154.051;
    QTest::newRow("en, point") << english << "300.5" << 300.5;
    QTest::newRow("en, comma") << english << "300,5" << 300.5;
}

void CrystalTest::decimalsEitherWay()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(double, value);
    QLocale::setDefault(locale);
    DialogRig rig;
    PinGermanLocale();
    rig.dialog.show();
    Type(rig.dialog.lambdaSpin, typed);
    QCOMPARE(rig.dialog.lambdaSpin->value(), value);
    QVERIFY(rig.dialog.lambdaSpin->text().contains(locale.decimalPoint()));
}

void CrystalTest::unchangedOkKeepsTheLesson_data()
{
    QTest::addColumn<bool>("viaStandard");
    QTest::newRow("OK") << false;
    QTest::newRow("Standard, OK") << true;
}

// Lesson 0 running with peaks recorded; the crystal is the standard one.
void RunLessonWithPeaks(TForm1& form)
{
    form.show();
    Start(form, QStringLiteral("0"));
    form.Button3->click();
    for (int tick = 0; tick < 120; ++tick) {
        form.Timer1Timer();
    }
}

void CrystalTest::unchangedOkKeepsTheLesson()
{
    QFETCH(bool, viaStandard);
    TForm1 form;
    RunLessonWithPeaks(form);
    QVERIFY(kb::AnyPeakRecorded(form.State()));
    const kb::SimState before = form.State();
    MessageBoxCatcher catcher;
    catcher.Arm(20);
    form.ShowCrystalDialog();
    auto* dialog = form.findChild<CrystalDialog*>();
    if (viaStandard) {
        dialog->standardButton->click();
    }
    QTest::keyClick(dialog->lambdaSpin, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!catcher.seen);  // a question would have been asked inside the key press
    QVERIFY(form.State() == before);
    QVERIFY(form.Timer1->isActive());
}

void CrystalTest::changeWithPeaksAsks()
{
    TForm1 form;
    RunLessonWithPeaks(form);
    form.Button3->click();  // stopped, so that no tick turns on while the question is open
    const kb::SimState before = form.State();
    form.ShowCrystalDialog();
    auto* dialog = form.findChild<CrystalDialog*>();
    dialog->SetCrystal(kSquareMo);

    MessageBoxCatcher keep;  // closed as Esc does: "Abbrechen"
    keep.Arm();
    dialog->okButton->click();
    QVERIFY(keep.seen);
    QCOMPARE(keep.text, QStringLiteral("Die aufgenommenen Messwerte gehen verloren."));
    QVERIFY(form.State() == before);
    QVERIFY(dialog->isVisible());

    MessageBoxCatcher discard;
    discard.press = QStringLiteral("Verwerfen");
    discard.Arm();
    dialog->okButton->click();
    QVERIFY(discard.seen);
    QVERIFY(form.State().Crystal == kSquareMo);
    QVERIFY(!kb::AnyPeakRecorded(form.State()));
    QVERIFY(!dialog->isVisible());
}

void CrystalTest::applyStopsTheRotationOnly()
{
    TForm1 form;
    form.show();
    Start(form, QStringLiteral("0"));
    form.Button3->click();
    for (int tick = 0; tick < 60; ++tick) {
        form.Timer1Timer();
    }
    QVERIFY(form.Timer1->isActive());
    const auto panel = ChecksAndShown(form);
    const int passes = form.ScenePassCount();

    // A refused choice changes nothing at all.
    const kb::SimState before = form.State();
    QVERIFY(!form.ApplyCrystal({300, 390, 111, 40}).accepted);
    QVERIFY(form.State() == before);
    QCOMPARE(form.ScenePassCount(), passes);
    QVERIFY(form.Timer1->isActive());

    QVERIFY(form.ApplyCrystal(kSquareMo).accepted);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Button3->text(), QStringLiteral("Start"));
    QCOMPARE(ChecksAndShown(form), panel);
    QCOMPARE(form.ScenePassCount(), passes + 1);
    QVERIFY(form.State().Crystal == kSquareMo);
    QCOMPARE(form.State().Omega, 0.0f);
    QCOMPARE(form.State().ActiveReflex, -1);
}

void CrystalTest::captionFollowsTheCrystal()
{
    TForm1 form;
    QVERIFY(form.ApplyCrystal(kSquareMo).accepted);  // before the window is shown, as a command line would
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Kein Experiment aktiv") + kSquareMoSuffix);
    QVERIFY(form.State().Crystal == kSquareMo);

    // Experiments 0 and -1 keep the chosen crystal, the lessons restore the standard.
    Start(form, QStringLiteral("0"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 0: Alle Optionen aktiv") + kSquareMoSuffix);
    Start(form, QStringLiteral("-1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment -1: Alle Optionen inaktiv") + kSquareMoSuffix);
    Start(form, QStringLiteral("15"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Unbekanntes Experiment") + kSquareMoSuffix);
    QVERIFY(form.ApplyCrystal({300, 390, 111, 154.0f}).accepted);
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Unbekanntes Experiment (a = 300 pm, b = 390 pm, γ = 111°, λ = 154 pm)"));

    QVERIFY(form.ApplyCrystal(kSquareMo).accepted);
    Start(form, QStringLiteral("12"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 12: Ewald-Konstruktion des Beugungswinkels"));
    QVERIFY(form.State().Crystal == kb::kStandardCrystal);
    QCOMPARE(form.State().ReflexCount, 56);

    form.ClearDiffractogram();
    form.ShowCrystalDialog();
    auto* dialog = form.findChild<CrystalDialog*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QVERIFY(dialog->Crystal() == kb::kStandardCrystal);
    dialog->SetCrystal({300.125f, 300, 90, 154.051f});
    dialog->okButton->click();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 12: Ewald-Konstruktion des Beugungswinkels (a = "
                                                "300,125 pm, b = 300 pm, γ = 90°, λ = 154,051 pm)"));
    form.ShowCrystalDialog();
    dialog->standardButton->click();
    dialog->okButton->click();
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 12: Ewald-Konstruktion des Beugungswinkels"));
}

QTEST_MAIN(CrystalTest)
#include "crystal_test.moc"
