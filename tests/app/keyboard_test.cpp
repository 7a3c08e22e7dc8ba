// The window for keyboard and screen-reader users: mnemonics, what the
// drawing area says, and the guide.

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBrowser>

#include "app_test_support.h"
#include "lesson/experiments.h"

using kb::TForm1;
using namespace kbtest;

namespace {

QChar Mnemonic(const QString& text)
{
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void everyMenuItemHasItsOwnMnemonic();
    void drawingAreaSaysWhatItShows();
    void guideHoldsEveryLesson();
    void escapeClosesTheGuide();
};

void KeyboardTest::everyMenuItemHasItsOwnMnemonic()
{
    TForm1 form;
    auto* bar = form.findChild<QMenuBar*>();
    QList<QList<QAction*>> levels = {bar->actions()};
    for (QAction* title : bar->actions()) {
        levels << title->menu()->actions();
    }
    int items = 0;
    for (const QList<QAction*>& level : levels) {
        QSet<QChar> seen;
        for (QAction* action : level) {
            if (action->isSeparator()) {
                continue;
            }
            ++items;
            const QChar key = Mnemonic(action->text());
            QVERIFY2(!key.isNull(), qPrintable(action->text()));
            QVERIFY2(!seen.contains(key), qPrintable(action->text()));
            seen.insert(key);
        }
    }
    QVERIFY(items > bar->actions().size());
    QVERIFY(form.findChild<QAction*>(QStringLiteral("FullScreenAction"))->isCheckable());
}

void KeyboardTest::drawingAreaSaysWhatItShows()
{
    TForm1 form;
    form.show();
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9->click();
    // The window as a window named by its caption, the radio group by its own.
    QCOMPARE(QAccessible::queryAccessibleInterface(&form)->role(), QAccessible::Window);
    QCOMPARE(QAccessible::queryAccessibleInterface(&form)->text(QAccessible::Name), form.windowTitle());
    QCOMPARE(QAccessible::queryAccessibleInterface(form.RadioGroup1)->text(QAccessible::Name),
             QStringLiteral("Punkte im rez. Gitter"));
    QAccessibleInterface* area = QAccessible::queryAccessibleInterface(form.drawingArea_);
    QCOMPARE(area->text(QAccessible::Name), QStringLiteral("Zeichenfläche"));
    QVERIFY2(area->text(QAccessible::Description).contains(QStringLiteral("kein Reflex")),
             qPrintable(area->text(QAccessible::Description)));
    form.Button6->click();
    const kb::Reflex& reflex = form.State().ReflexTable[static_cast<std::size_t>(form.State().ActiveReflex)];
    const QString description = area->text(QAccessible::Description);
    const QString theta = QLocale().toString(static_cast<double>(reflex.Theta) * kb::kRadToDeg, 'f', 1);
    QVERIFY2(description.contains(QStringLiteral("Reflex %1 %2 0").arg(reflex.H).arg(reflex.K)) &&
                 description.contains(QStringLiteral("Theta = %1°").arg(theta)),
             qPrintable(description));
}

void KeyboardTest::guideHoldsEveryLesson()
{
    TForm1 form;
    form.show();
    auto* help = form.findChild<QAction*>(QStringLiteral("GuideAction"));
    QCOMPARE(help->shortcut(), QKeySequence(Qt::Key_F1));
    help->trigger();
    auto* guide = form.findChild<QTextBrowser*>(QStringLiteral("GuideWindow"));
    QVERIFY(guide != nullptr && guide->isVisible() && guide->isWindow() && !guide->isModal());
    const QString text = guide->toPlainText();
    for (const kb::Experiment& lesson : kb::ExperimentCatalogue()) {
        const QString heading =
            QStringLiteral("Experiment %1: %2")
                .arg(lesson.number)
                .arg(QString::fromUtf8(lesson.title.data(), qsizetype(lesson.title.size())));
        QVERIFY2(text.contains(heading), qPrintable(heading));
    }
}

void KeyboardTest::escapeClosesTheGuide()
{
    TForm1 form;
    form.show();
    auto* help = form.findChild<QAction*>(QStringLiteral("GuideAction"));
    for (int round = 0; round < 2; ++round) {
        help->trigger();
        auto* guide = form.findChild<QTextBrowser*>(QStringLiteral("GuideWindow"));
        QVERIFY(QTest::qWaitForWindowActive(guide));
        QTest::keyClick(guide, Qt::Key_Escape);
        QVERIFY(!guide->isVisible());
        QVERIFY(form.isVisible());
    }
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
