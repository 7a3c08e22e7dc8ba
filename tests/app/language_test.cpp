// The window in every language: no German left in the English one over all
// lessons and the lab, every caption within its box, and a switch that keeps
// lesson, crystal, Omega and the recorded peaks.

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QStyle>
#include <QTest>
#include <QTextBrowser>

#include "app/app_language.h"
#include "app/crystal_dialog.h"
#include "app/lab_dialog.h"
#include "app/values_export.h"
#include "app_test_support.h"
#include "lesson/experiments.h"
#include "model/catalogue.h"
#include "model/crystal.h"
#include "paint/picture_export.h"
#include "render/measured_values.h"

using kb::TForm1;
using namespace kbtest;

namespace {

QSet<QString> Words(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("\\b\\p{L}{2,}\\b"));
    QSet<QString> words;
    QString plain = text;
    plain.remove(QLatin1Char('&'));
    for (const QRegularExpressionMatch& m : word.globalMatch(plain)) {
        words << m.captured();
    }
    return words;
}

// The words of every English translation.
QSet<QString> EnglishWords()
{
    QFile file(QStringLiteral(KB_SOURCE_DIR "/po/en.po"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QSet<QString> words;
    for (const kb::PoEntry& e : kb::ParsePo(file.readAll().toStdString())) {
        words += Words(QString::fromStdString(e.translation));
    }
    return words;
}

void StartLesson(TForm1& form, int number)
{
    form.Edit2->setText(QString::number(number));
    form.Button9Click();
}

// A control's own caption, a field's unit, a choice's items.
QStringList WidgetText(QWidget* w)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return {button->text()};
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return {group->title()};
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return {label->text()};
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        return {spin->text()};
    }
    if (auto* choice = qobject_cast<QComboBox*>(w)) {
        QStringList items;
        for (int i = 0; i < choice->count(); ++i) {
            items << choice->itemText(i);
        }
        return items;
    }
    return {};
}

// Every text the window shows now: captions of the shown controls, the
// window's caption, menus, readouts, the picture's texts, the screen reader's
// sentence.
QStringList ShownTexts(TForm1& form)
{
    QStringList texts{form.windowTitle(), form.Edit3->text(), form.Edit4->text(),
                      QString::fromStdString(form.Lesson().SceneDescription())};
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&form)) {
            continue;
        }
        texts << w->toolTip() << w->accessibleName() << WidgetText(w);
    }
    for (int i = 0; i < form.ListBox1->count(); ++i) {
        texts << form.ListBox1->item(i)->text();
    }
    for (QAction* action : form.menuBar_->findChildren<QAction*>()) {
        if (!action->property("kbOwnText").toBool()) {
            texts << action->text();
        }
    }
    texts << Texts(form.LatestPass());
    return texts;
}

// What a student sees over every lesson, with a reflection in place, and in
// the lab after a guess; the message of a bad lesson number.
QStringList EveryText(TForm1& form)
{
    QStringList texts;
    for (int number = kb::kLowestExperiment; number <= kb::kHighestExperiment; ++number) {
        StartLesson(form, number);
        texts << ShownTexts(form);
        // Reflections of the first and of higher orders ("fiktiv").
        for (int i = 0; i < 4; ++i) {
            form.Button6Click();
            texts << ShownTexts(form);
        }
    }
    form.Lesson().StartLab({"K7MX4P", 3, kb::LabLevel::Rectangular});
    form.Lesson().MoveCursor(30.0);
    form.Edit5->setText(QStringLiteral("400"));
    form.Edit6->setText(QStringLiteral("500"));
    form.Edit7->setText(QStringLiteral("90"));
    form.Lesson().Button11Click();
    form.Button6Click();
    texts << ShownTexts(form);
    MessageBoxCatcher catcher;
    catcher.Arm();
    form.Edit2->setText(QStringLiteral("x"));
    form.Button9Click();
    texts << catcher.title << catcher.text;
    StartLesson(form, 99);
    texts << form.windowTitle();

    // The dialogs as they open, the files' headers and a failed save.
    kb::CrystalDialog crystal(&form, [](const kb::CrystalParams&) { return std::nullopt; });
    kb::LabDialog lab(&form, [](const kb::LabChoice&) {});
    for (QDialog* dialog : std::initializer_list<QDialog*>{&crystal, &lab}) {
        texts << dialog->windowTitle();
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            texts << w->toolTip() << w->accessibleName() << WidgetText(w);
        }
    }
    const kb::SimState s = form.State();
    for (const std::string& table : {kb::MeasuredValuesTable(s, "."), kb::DiffractogramTable(s, ".")}) {
        texts << QString::fromStdString(table.substr(0, table.find('\n')));
    }
    texts << kb::SaveValuesFile(QStringLiteral("/q/q.csv"), kb::ValuesFormat::Csv, s, QStringLiteral("."),
                                QString())
          << kb::UnknownPictureFormatMessage(QStringLiteral("q.q9"));
    return texts;
}

// The width a control's caption needs beside what its style draws.
int NeededWidth(QWidget* w, const QString& text)
{
    QString plain = text;
    plain.remove(QLatin1Char('&'));
    const int textWidth = w->fontMetrics().horizontalAdvance(plain);
    QStyle* style = w->style();
    if (qobject_cast<QCheckBox*>(w) != nullptr) {
        return textWidth + style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    }
    if (qobject_cast<QRadioButton*>(w) != nullptr) {
        return textWidth + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
    }
    if (qobject_cast<QPushButton*>(w) != nullptr) {
        return textWidth + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    }
    return textWidth;
}

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        PinGermanLocale();
        QStandardPaths::setTestModeEnabled(true);
    }
    void cleanup() { kb::ApplyLanguage(QStringLiteral("de")); }
    void noGermanLeftInEnglish();
    void captionsFitTheirBoxes_data();
    void captionsFitTheirBoxes();
    void switchKeepsTheState();
    void languageFromItsFileAlone();
    void openGuideFollowsTheLanguage();
};

void LanguageTest::noGermanLeftInEnglish()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const QStringList german = EveryText(form);
    form.SetLanguage(QStringLiteral("en"));
    const QStringList english = EveryText(form);
    QVERIFY(english.contains(QStringLiteral("Experiment 12: Ewald construction of the diffraction angle")));
    QVERIFY(english.contains(QStringLiteral("Bragg condition not met")));
    // A word of the German window is German unless an English text has it
    // too ("Omega", "Start", "Ewald", the program's name).
    QSet<QString> germanWords;
    for (const QString& text : german) {
        germanWords += Words(text);
    }
    germanWords -= EnglishWords();
    // The element symbols of the radiations, file extensions and Qt's "OK"
    // are no language's.
    for (const char* neutral : {"OK", "csv", "xlsx", "png", "jpg", "jpeg", "bmp", "svg", "pdf"}) {
        germanWords.remove(QString::fromLatin1(neutral));
    }
    for (const kb::RadiationPreset& radiation : kb::kRadiationPresets) {
        germanWords -= Words(QString::fromUtf8(radiation.name));
    }
    QVERIFY(germanWords.size() > 50);
    QStringList leftOver;
    for (const QString& text : english) {
        if (Words(text).intersects(germanWords)) {
            leftOver << text;
        }
    }
    leftOver.removeDuplicates();
    QVERIFY2(leftOver.isEmpty(), qPrintable(leftOver.join(QStringLiteral(" | "))));
}

void LanguageTest::captionsFitTheirBoxes_data()
{
    QTest::addColumn<QString>("language");
    for (const QString& code : kb::Languages()) {
        QTest::newRow(qPrintable(code)) << code;
    }
}

void LanguageTest::captionsFitTheirBoxes()
{
    QFETCH(QString, language);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.SetLanguage(language);
    QCOMPARE(QString::fromStdString(kb::CurrentLanguage()), language);
    // Lesson 0 shows every standard control, the lab its own group; Button3
    // has both its captions.
    QStringList clipped;
    int checked = 0;
    const auto check = [&] {
        for (QWidget* w : form.Panel1->findChildren<QWidget*>()) {
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                text = button->text();
            } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
                text = group->title();
            } else if (auto* label = qobject_cast<QLabel*>(w)) {
                text = label->text();
            }
            if (text.isEmpty() || !w->isVisibleTo(&form)) {
                continue;
            }
            ++checked;
            if (NeededWidth(w, text) > w->width()) {
                clipped << QStringLiteral("%1 \"%2\": %3 > %4")
                               .arg(w->objectName(), text)
                               .arg(NeededWidth(w, text))
                               .arg(w->width());
            }
        }
    };
    StartLesson(form, 0);
    check();
    form.Button3Click();
    check();
    form.Button3Click();
    form.Lesson().StartLab({"K7MX4P", 1, kb::LabLevel::Oblique});
    check();
    QVERIFY(checked > 40);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

void LanguageTest::switchKeepsTheState()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    StartLesson(form, 0);
    QVERIFY(form.ApplyCrystal({300.0f, 300.0f, 90.0f, 150.0f}).accepted);
    for (int i = 0; i < 3; ++i) {
        form.Button6Click();
    }
    form.DrawScene();  // a pass that records nothing new, as the switch's own
    const kb::SimState before = form.State();
    const QString germanCaption = form.windowTitle();
    const QString germanReflex = form.Edit4->text();
    const kb::DrawList germanPicture = form.LatestPass();
    QVERIFY(germanReflex.startsWith(QStringLiteral("Reflex ")));

    // Through the menu, as a user does; remembered for the next start.
    QAction* english = form.findChild<QAction*>(QStringLiteral("Language_en"));
    QVERIFY(english != nullptr);
    QCOMPARE(english->text(), QStringLiteral("&English"));
    english->trigger();
    QCOMPARE(kb::StartLanguage(std::nullopt).code, QStringLiteral("en"));
    QVERIFY(english->isChecked());
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Experiment 0: All options on (a = 300 pm, b = 300 pm, γ = 90°, λ = 150 pm)"));
    QVERIFY(form.Edit4->text().startsWith(QStringLiteral("Reflection ")));
    QCOMPARE(form.Button1->text(), QStringLiteral("Quit"));
    QCOMPARE(form.menuBar_->actions().first()->text(), QStringLiteral("&File"));
    const kb::SimState after = form.State();
    QCOMPARE(after.Omega, before.Omega);
    QVERIFY(after.Crystal == before.Crystal);
    QCOMPARE(after.ActiveReflex, before.ActiveReflex);
    QVERIFY(after.Diffractogram == before.Diffractogram);
    for (int i = 0; i < before.ReflexCount; ++i) {
        QCOMPARE(after.ReflexTable[i].PeakRecorded, before.ReflexTable[i].PeakRecorded);
    }

    // Back in German, everything as it was, byte for byte.
    form.findChild<QAction*>(QStringLiteral("Language_de"))->trigger();
    QCOMPARE(form.windowTitle(), germanCaption);
    QCOMPARE(form.Edit4->text(), germanReflex);
    QString why;
    QVERIFY2(SameOps(form.LatestPass(), germanPicture, &why), qPrintable(why));
    QCOMPARE(form.menuBar_->actions().first()->text(), QStringLiteral("&Datei"));
}

void LanguageTest::languageFromItsFileAlone()
{
    // tests/i18n/xx.po, built into this test as po/*.po into the program.
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QAction* xx = form.findChild<QAction*>(QStringLiteral("Language_xx"));
    QVERIFY(xx != nullptr);
    QCOMPARE(xx->text(), QStringLiteral("&Xxisch"));
    xx->trigger();
    QCOMPARE(form.windowTitle(), QStringLiteral("Xx kein Xx"));        // the core's text
    QCOMPARE(form.Button1->text(), QStringLiteral("Xxhör"));           // the window's own
    QCOMPARE(form.Button6->text(), QStringLiteral("nächsterReflex"));  // not in the file: German
}

void LanguageTest::openGuideFollowsTheLanguage()
{
    TForm1 form;
    form.show();
    form.findChild<QAction*>(QStringLiteral("GuideAction"))->trigger();
    auto* guide = form.findChild<QTextBrowser*>(QStringLiteral("GuideWindow"));
    QVERIFY(guide != nullptr && guide->isVisible());
    const QString german = guide->toPlainText();
    QVERIFY(german.contains(QStringLiteral("Die Experimente")));

    form.SetLanguage(QStringLiteral("en"));
    QCOMPARE(guide->windowTitle(), QStringLiteral("Kristallbeugung – Guide"));
    QCOMPARE(guide->accessibleName(), QStringLiteral("Guide"));
    const QString english = guide->toPlainText();
    QVERIFY(english.contains(QStringLiteral("The diffraction lab: finding an unknown crystal")));
    QVERIFY(!english.contains(QStringLiteral("Die Experimente")));

    form.SetLanguage(QStringLiteral("de"));
    QCOMPARE(guide->windowTitle(), QStringLiteral("Kristallbeugung – Anleitung"));
    QCOMPARE(guide->toPlainText(), german);
}

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
