// What reaches the screen: readout texts in the user's locale, and the
// window's own picture, which must be the very pixels the image path paints.

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include "app/command_line.h"
#include "app_test_support.h"
#include "paint/painter.h"
#include "paint/stamps.h"

using kb::TForm1;
using namespace kbtest;

namespace {

// Logical rows [top, top + rows) of the pass at `ratio`, white where nothing
// is drawn: a poster is checked a strip at a time, the way its stamps are
// made, without holding gigabytes.
QImage PaintStrip(const kb::DrawList& list, int width, int top, int rows, qreal ratio, kb::PaintCache& cache)
{
    QImage image((QSizeF(width, rows) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(0, -top);
    kb::PaintDrawList(painter, list, cache);
    return image;
}

}  // namespace

class PaintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void cleanup() { PinGermanLocale(); }

    void omegaReadoutFollowsLocale_data();
    void omegaReadoutFollowsLocale();
    void windowShowsTheImagePathsPixels();
    void posterOfAFullTurnShowsThePicture_data();
    void posterOfAFullTurnShowsThePicture();
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

void PaintTest::posterOfAFullTurnShowsThePicture_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<double>("turnDeg");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1200x800, full turn, 4-fach") << QSize(1200, 800) << 360.0 << qreal(4);
    QTest::newRow("1200x800, full turn, 8-fach") << QSize(1200, 800) << 360.0 << qreal(8);
    QTest::newRow("2048x2048, quarter turn, 8-fach") << QSize(2048, 2048) << 90.0 << qreal(8);
    const QSize window(kb::kDefaultViewWidthPx, kb::kDefaultViewHeightPx);
    QTest::newRow("window, full turn, largest ratio")
        << window << 360.0 << qreal(kb::kMaxViewSidePx) / std::max(window.width(), window.height());
}

// Every stamp of a poster is larger than at screen size, some larger than
// the cache holds: those are drawn as shapes. Scaled down, the poster shows
// every line and text of the picture at screen size.
void PaintTest::posterOfAFullTurnShowsThePicture()
{
    QFETCH(QSize, view);
    QFETCH(double, turnDeg);
    QFETCH(qreal, ratio);
    TForm1 form;
    form.SetViewSize(view);
    form.FormActivate();
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9Click();
    form.TurnCrystal(turnDeg);
    const kb::DrawList& list = form.LatestPass();

    kb::PaintCache cache;
    const QImage screen = PaintStrip(list, view.width(), 0, view.height(), 1.0, cache);
    // Strips of a few million device pixels; of the largest posters every
    // few strips only, which keeps the test quick and still crosses every
    // kind of shape.
    constexpr int kStripRows = 32;
    constexpr double kDevicePixelsChecked = 64e6;
    const int stride = std::max(
        1, static_cast<int>(std::ceil(view.width() * view.height() * ratio * ratio / kDevicePixelsChecked)));
    QImage poster(view, QImage::Format_RGB32);
    poster.fill(Qt::white);
    QList<bool> painted(view.height(), false);
    {
        QPainter painter(&poster);
        for (int top = 0; top < view.height(); top += stride * kStripRows) {
            const int rows = std::min(kStripRows, view.height() - top);
            QImage strip =
                PaintStrip(list, view.width(), top, rows, ratio, cache)
                    .scaled(QSize(view.width(), rows), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            strip.setDevicePixelRatio(1.0);
            painter.drawImage(0, top, strip);
            std::fill(painted.begin() + top, painted.begin() + top + rows, true);
        }
    }
    // Ink at screen size with no ink anywhere near it on the poster.
    int ink = 0;
    int missing = 0;
    for (int y = 1; y + 1 < view.height(); ++y) {
        if (!painted[y - 1] || !painted[y + 1]) {
            continue;
        }
        for (int x = 1; x + 1 < view.width(); ++x) {
            if (QColor(screen.pixel(x, y)).lightness() >= 128) {
                continue;
            }
            ++ink;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy) {
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    near = QColor(poster.pixel(x + dx, y + dy)).lightness() < 230;
                }
            }
            missing += near ? 0 : 1;
        }
    }
    QVERIFY(ink > 1000);
    QVERIFY2(missing == 0, qPrintable(QStringLiteral("%1 of %2 dark pixels").arg(missing).arg(ink)));
}

QTEST_MAIN(PaintTest)
#include "paint_test.moc"
