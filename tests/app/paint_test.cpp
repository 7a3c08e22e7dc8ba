// What reaches the screen: readout texts in the user's locale, and a pass
// painted into an image, probed at points computed from the pass geometry.

#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "app/painter.h"
#include "app_test_support.h"
#include "render/pass_geometry.h"

using kb::TForm1;
using namespace kbtest;

namespace {

QPoint Screen(const kb::SimState& s, const kb::Point& pixel)
{
    return {kb::RoundHalfEven(pixel.x), s.BaseY - kb::RoundHalfEven(pixel.y)};
}

QImage Paint(const kb::DrawList& list, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);  // anything the pass leaves unpainted shows
    kb::FontCache fonts;
    QPainter painter(&image);
    kb::PaintDrawList(painter, list, fonts);
    painter.end();
    return image;
}

QImage PaintLatest(TForm1& form)
{
    return Paint(form.LatestPass(), form.drawingArea_->size());
}

bool Bluish(QRgb c)
{
    return qBlue(c) - std::max(qRed(c), qGreen(c)) > 80;
}

bool BluishNear(const QImage& image, QPoint p)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (Bluish(image.pixel(p + QPoint(dx, dy)))) return true;
        }
    }
    return false;
}

}  // namespace

class PaintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void cleanup() { PinGermanLocale(); }

    void omegaReadoutFollowsLocale_data();
    void omegaReadoutFollowsLocale();
    void crystalMarkOnWhite();
    void latticeRing();
    void primaryBeamRow();
    void onePixelLinesStayCrisp();
    void widgetShowsTheLatestPass();
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

void PaintTest::crystalMarkOnWhite()
{
    TForm1 form;
    form.show();
    const kb::SimState& s = form.State();
    const QImage image = PaintLatest(form);
    const QPoint crystal = Screen(s, s.CrystalPixel);
    QCOMPARE(QColor(image.pixel(crystal)), QColor(0, 0, 255));
    // Nothing else is on: white around the mark, and in the corners.
    QCOMPARE(QColor(image.pixel(crystal + QPoint(30, 0))), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(crystal - QPoint(0, 30))), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(image.width() - 1, image.height() - 1)), QColor(Qt::white));
}

void PaintTest::latticeRing()
{
    TForm1 form;
    form.show();
    form.CheckBox5->setChecked(true);  // hidden, yet it draws
    const kb::SimState& s = form.State();
    const QImage image = PaintLatest(form);
    const QPoint centre = Screen(s, kb::LatticeToPixels(s, kb::MakePoint(2.0f, 1.0f)));
    const int r = kb::RoundHalfEven(static_cast<double>(s.LatticePointRadius) * s.ViewScale);
    QVERIFY(r >= 3);
    QVERIFY(BluishNear(image, centre + QPoint(r, 0)));
    QVERIFY(BluishNear(image, centre - QPoint(r, 0)));
    QVERIFY(BluishNear(image, centre + QPoint(0, r)));
    QCOMPARE(QColor(image.pixel(centre)), QColor(Qt::white));  // a ring, not a disc
}

void PaintTest::primaryBeamRow()
{
    TForm1 form;
    form.show();
    form.primaer->setChecked(true);
    const kb::SimState& s = form.State();
    const QImage image = PaintLatest(form);
    const QPoint crystal = Screen(s, s.CrystalPixel);
    const int x = crystal.x() / 2;
    QCOMPARE(QColor(image.pixel(x, crystal.y())), QColor(0x80, 0, 0));
    QCOMPARE(QColor(image.pixel(x, crystal.y() - 3)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(x, crystal.y() + 3)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(1, crystal.y())), QColor(0x80, 0, 0));  // from the left edge
}

void PaintTest::onePixelLinesStayCrisp()
{
    kb::DrawList list;
    kb::DrawOp fill;
    fill.kind = kb::DrawOpKind::FillRect;
    fill.brush = {kb::kWhite, kb::BrushStyle::Solid};
    fill.c[2] = 120;
    fill.c[3] = 100;
    list.ops.push_back(fill);
    kb::DrawOp line;
    line.kind = kb::DrawOpKind::Line;
    line.pen = {kb::kBlack, 1, kb::PenStyle::Solid};
    line.c[0] = 10;
    line.c[1] = 20;
    line.c[2] = 100;
    line.c[3] = 20;
    list.ops.push_back(line);
    line.c[0] = 30;
    line.c[1] = 40;
    line.c[2] = 30;
    line.c[3] = 90;
    list.ops.push_back(line);
    kb::DrawOp red = fill;
    red.brush.colour = kb::kRed;
    red.c[0] = 60;
    red.c[1] = 50;
    red.c[2] = 70;
    red.c[3] = 60;
    list.ops.push_back(red);

    const QImage image = Paint(list, QSize(130, 110));
    QCOMPARE(QColor(image.pixel(50, 20)), QColor(Qt::black));
    QCOMPARE(QColor(image.pixel(50, 19)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(50, 21)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(30, 60)), QColor(Qt::black));
    QCOMPARE(QColor(image.pixel(29, 60)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(31, 60)), QColor(Qt::white));
    // A fill covers its left and top edges, not its right and bottom ones.
    QCOMPARE(QColor(image.pixel(60, 50)), QColor(Qt::red));
    QCOMPARE(QColor(image.pixel(69, 59)), QColor(Qt::red));
    QCOMPARE(QColor(image.pixel(70, 55)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(65, 60)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(125, 105)), QColor(Qt::magenta));
}

void PaintTest::widgetShowsTheLatestPass()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const kb::SimState& s = form.State();
    const int passes = form.ScenePassCount();
    const QImage shown = form.drawingArea_->grab().toImage();
    QCOMPARE(form.ScenePassCount(), passes);
    QCOMPARE(shown.size(), form.drawingArea_->size());
    QCOMPARE(QColor(shown.pixel(Screen(s, s.CrystalPixel))), QColor(0, 0, 255));
    form.CheckBox5->setChecked(true);
    const QImage withPoints = form.drawingArea_->grab().toImage();
    const QPoint centre = Screen(s, kb::LatticeToPixels(s, kb::MakePoint(-3.0f, 2.0f)));
    const int r = kb::RoundHalfEven(static_cast<double>(s.LatticePointRadius) * s.ViewScale);
    QVERIFY(BluishNear(withPoints, centre + QPoint(r, 0)));
    QVERIFY(!BluishNear(shown, centre + QPoint(r, 0)));
}

QTEST_MAIN(PaintTest)
#include "paint_test.moc"
