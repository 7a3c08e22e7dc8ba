// Choosing another crystal: what the window does with a choice (rotation,
// caption, lessons).

#include <QTest>

#include "app_test_support.h"

using kb::CrystalParams;
using kb::TForm1;
using namespace kbtest;

namespace {

constexpr CrystalParams kSquareMo{300.0f, 300.0f, 90.0f, 70.930f};
const QString kSquareMoSuffix = QStringLiteral(" (a = 300 pm, b = 300 pm, γ = 90°, λ = 70,93 pm)");

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

    void applyStopsTheRotationOnly();
    void captionFollowsTheCrystal();
};

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
}

QTEST_MAIN(CrystalTest)
#include "crystal_test.moc"
