// What reaches the screen: readout texts in the user's locale, and a pass
// painted into an image, probed at points computed from the pass geometry.

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <algorithm>

#include "app/band_pool.h"
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

// The two ways a pass reaches pixels: the window's frame, drawn by the
// rasteriser, and QPainter, which frames of other pixel ratios fall back to.
enum class Path { Frame, Painter };

QImage Paint(const kb::DrawList& list, QSize size, Path path = Path::Frame)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);  // anything the pass leaves unpainted shows
    kb::FontCache fonts;
    if (path == Path::Frame) {
        kb::PaintDrawList(image, list, fonts);
    } else {
        QPainter painter(&image);
        kb::PaintDrawList(painter, list, fonts);
    }
    return image;
}

QImage PaintLatest(TForm1& form, Path path = Path::Frame)
{
    return Paint(form.LatestPass(), form.drawingArea_->size(), path);
}

void AddPaths()
{
    QTest::addColumn<bool>("viaFrame");
    QTest::newRow("frame") << true;
    QTest::newRow("painter") << false;
}

// Pixels whose colour differs by more than `tolerance` in some channel.
int Differing(const QImage& a, const QImage& b, int tolerance)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            count += d > tolerance ? 1 : 0;
        }
    }
    return count;
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
    void crystalMarkOnWhite_data() { AddPaths(); }
    void crystalMarkOnWhite();
    void latticeRing_data() { AddPaths(); }
    void latticeRing();
    void primaryBeamRow_data() { AddPaths(); }
    void primaryBeamRow();
    void onePixelLinesStayCrisp_data() { AddPaths(); }
    void onePixelLinesStayCrisp();
    void widgetShowsTheLatestPass();
    void frameAgreesWithPainter();
    void frameOfOtherPixelRatioUsesPainter();
    void bandPoolRunsEveryBandOnce();
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
    QFETCH(bool, viaFrame);
    const Path path = viaFrame ? Path::Frame : Path::Painter;
    TForm1 form;
    form.show();
    const kb::SimState& s = form.State();
    const QImage image = PaintLatest(form, path);
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
    QFETCH(bool, viaFrame);
    const Path path = viaFrame ? Path::Frame : Path::Painter;
    TForm1 form;
    form.show();
    form.CheckBox5->setChecked(true);  // hidden, yet it draws
    const kb::SimState& s = form.State();
    const QImage image = PaintLatest(form, path);
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
    QFETCH(bool, viaFrame);
    const Path path = viaFrame ? Path::Frame : Path::Painter;
    TForm1 form;
    form.show();
    form.primaer->setChecked(true);
    const kb::SimState& s = form.State();
    const QImage image = PaintLatest(form, path);
    const QPoint crystal = Screen(s, s.CrystalPixel);
    const int x = crystal.x() / 2;
    QCOMPARE(QColor(image.pixel(x, crystal.y())), QColor(0x80, 0, 0));
    QCOMPARE(QColor(image.pixel(x, crystal.y() - 3)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(x, crystal.y() + 3)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(1, crystal.y())), QColor(0x80, 0, 0));  // from the left edge
}

void PaintTest::onePixelLinesStayCrisp()
{
    QFETCH(bool, viaFrame);
    const Path path = viaFrame ? Path::Frame : Path::Painter;
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

    const QImage image = Paint(list, QSize(130, 110), path);
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

void PaintTest::frameAgreesWithPainter()
{
    // Experiment 0 with every reflection recorded: each kind of shape, in
    // every band of the frame. Antialiasing differs a little at edges; a
    // shape missing or misplaced would differ in hundreds of pixels.
    TForm1 form;
    form.show();
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9Click();
    for (int i = 0; i < form.State().ReflexCount; ++i) {
        form.Button6Click();
    }
    const QImage frame = PaintLatest(form, Path::Frame);
    const QImage painter = PaintLatest(form, Path::Painter);
    const int differing = Differing(frame, painter, 64);
    QVERIFY2(differing < frame.width() * frame.height() / 400, qPrintable(QString::number(differing)));
    // Painting the same pass again gives the same frame, band for band.
    QCOMPARE(PaintLatest(form, Path::Frame), frame);
}

void PaintTest::frameOfOtherPixelRatioUsesPainter()
{
    TForm1 form;
    form.show();
    const kb::SimState& s = form.State();
    const QSize size = form.drawingArea_->size();
    QImage frame(size * 2, QImage::Format_RGB32);
    frame.setDevicePixelRatio(2.0);
    frame.fill(Qt::magenta);
    kb::FontCache fonts;
    kb::PaintDrawList(frame, form.LatestPass(), fonts);
    const QPoint crystal = Screen(s, s.CrystalPixel) * 2;
    QCOMPARE(QColor(frame.pixel(crystal)), QColor(0, 0, 255));
    QCOMPARE(QColor(frame.pixel(frame.width() - 1, frame.height() - 1)), QColor(Qt::white));
}

void PaintTest::bandPoolRunsEveryBandOnce()
{
    for (const int helpers : {0, 1, 3}) {
        kb::BandPool pool(helpers);
        QCOMPARE(pool.HelperCount(), helpers);
        std::vector<int> runs(97, 0);
        auto count = [&](int band) { ++runs[static_cast<std::size_t>(band)]; };
        for (int round = 0; round < 40; ++round) {
            pool.Run(static_cast<int>(runs.size()), count);
        }
        QVERIFY(std::all_of(runs.begin(), runs.end(), [](int n) { return n == 40; }));
        bool ran = false;
        auto none = [&](int) { ran = true; };
        pool.Run(0, none);
        QVERIFY(!ran);
    }
}

QTEST_MAIN(PaintTest)
#include "paint_test.moc"
