// The window on a screen smaller than its layout: all of it stays visible.

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "app/window_placement.h"
#include "app_test_support.h"

using kb::TForm1;
using namespace kbtest;

class ScreenTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void fitIntoScreen_data();
    void fitIntoScreen();
    void windowOnA1024By768Screen();
};

void ScreenTest::fitIntoScreen_data()
{
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    const QRect layout(301, 208, 800, 617);
    QTest::newRow("fits") << layout << QRect(0, 0, 1920, 1050) << layout;
    QTest::newRow("1024 x 768") << layout << QRect(0, 0, 1024, 768) << QRect(224, 151, 800, 617);
    QTest::newRow("short screen to the right")
        << layout << QRect(1920, 30, 1280, 570) << QRect(1920, 30, 800, 570);
    QTest::newRow("smaller than the minimum") << layout << QRect(0, 0, 600, 400) << QRect(0, 0, 648, 535);
}

void ScreenTest::fitIntoScreen()
{
    QFETCH(QRect, wanted);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    QCOMPARE(kb::FitIntoScreen(wanted, QSize(648, 535), available), placed);
}

void ScreenTest::windowOnA1024By768Screen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QCOMPARE(screen->geometry().size(), QSize(1024, 768));  // the suite's own offscreen screen
    TForm1 form;
    form.show();
    form.Edit2->setText(QStringLiteral("0"));  // every group of the panel shown
    form.Button9->click();
    const QRect available = screen->availableGeometry();
    QVERIFY(available.contains(form.frameGeometry()));
    QCOMPARE(form.ClientSize(), QSize(kb::kInitialClientWidthPx, kb::kInitialClientHeightPx));
    for (const char* name : {"Button1", "Button2", "Button8", "GroupBox4", "RadioGroup1"}) {
        const QWidget* control = Control(form, QString::fromLatin1(name));
        const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
        QVERIFY2(available.contains(onScreen), name);
    }
}

QTEST_MAIN(ScreenTest)
#include "screen_test.moc"
