// What reaches the screen: readout texts in the user's locale, and the
// window's own picture, which must be the very pixels the image path paints.

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include "app_test_support.h"
#include "paint/painter.h"
#include "paint/stamps.h"

using kb::TForm1;
using namespace kbtest;

class PaintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void cleanup() { PinGermanLocale(); }

    void omegaReadoutFollowsLocale_data();
    void omegaReadoutFollowsLocale();
    void windowShowsTheImagePathsPixels();
};

void PaintTest::omegaReadoutFollowsLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << QStringLiteral("Omega = 12,3°");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QStringLiteral("Omega = 12.3°");
}

void PaintTest::omegaReadoutFollowsLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    TForm1 form;
    form.show();
    form.State().Omega = 12.34f * kb::kDegToRad;
    form.DrawScene();
    QCOMPARE(form.Edit3->text(), text);
    QVERIFY(form.Edit3->isVisibleTo(&form));
}

void PaintTest::windowShowsTheImagePathsPixels()
{
    // Experiment 0 with every reflection recorded: every kind of shape.
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9Click();
    for (int i = 0; i < form.State().ReflexCount; ++i) {
        form.Button6Click();
    }
    const int passes = form.ScenePassCount();
    const QImage shown = OwnPicture(form).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(form.ScenePassCount(), passes);  // a repaint replays, it does not redraw the scene

    QImage image(form.drawingArea_->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    kb::PaintCache cache;
    QPainter painter(&image);
    kb::PaintDrawList(painter, form.LatestPass(), cache);
    painter.end();
    QCOMPARE(shown.size(), image.size());
    QCOMPARE(shown, image);
}

QTEST_MAIN(PaintTest)
#include "paint_test.moc"
