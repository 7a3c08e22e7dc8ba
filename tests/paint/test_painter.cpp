// A recorded pass painted with QPainter at pixel ratios 1 and 2: the same
// shapes at the same logical places, one-pixel lines one logical pixel wide.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QTest>
#include <cmath>

#include "model/model_support.h"
#include "paint/fonts.h"
#include "paint/painter.h"
#include "paint/stamps.h"
#include "render/pass_geometry.h"
#include "render/scene.h"

namespace {

QImage Blank(QSize logical, qreal ratio)
{
    QImage image((QSizeF(logical) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);  // anything the pass leaves unpainted shows
    return image;
}

QImage Paint(const kb::DrawList& list, QSize logical, qreal ratio, kb::PaintCache& cache)
{
    QImage image = Blank(logical, ratio);
    QPainter painter(&image);
    kb::PaintDrawList(painter, list, cache);
    return image;
}

// The device pixels of logical pixel `p`.
QList<QColor> DevicePixels(const QImage& image, QPoint p)
{
    const int r = static_cast<int>(image.devicePixelRatio());
    QList<QColor> colours;
    for (int dy = 0; dy < r; ++dy) {
        for (int dx = 0; dx < r; ++dx) {
            colours << QColor(image.pixel(p.x() * r + dx, p.y() * r + dy));
        }
    }
    return colours;
}

// Every device pixel of logical pixel `p` has `colour`.
bool Solid(const QImage& image, QPoint p, const QColor& colour)
{
    const QList<QColor> colours = DevicePixels(image, p);
    return std::all_of(colours.begin(), colours.end(), [&](const QColor& c) { return c == colour; });
}

// Some device pixel within one logical pixel of `p` passes `test`.
template <typename Test>
bool Near(const QImage& image, QPoint p, Test test)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            for (const QColor& c : DevicePixels(image, p + QPoint(dx, dy))) {
                if (test(c)) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool Bluish(const QColor& c)
{
    return c.blue() - std::max(c.red(), c.green()) > 80;
}

bool Reddish(const QColor& c)
{
    return c.red() - std::max(c.green(), c.blue()) > 80;
}

kb::DrawOp FillOp(int x1, int y1, int x2, int y2, kb::Colour colour)
{
    kb::DrawOp op;
    op.kind = kb::DrawOpKind::FillRect;
    op.brush = {colour, kb::BrushStyle::Solid};
    op.c[0] = x1;
    op.c[1] = y1;
    op.c[2] = x2;
    op.c[3] = y2;
    return op;
}

kb::DrawOp LineOp(int x1, int y1, int x2, int y2)
{
    kb::DrawOp op = FillOp(x1, y1, x2, y2, kb::kWhite);
    op.kind = kb::DrawOpKind::Line;
    op.pen = {kb::kBlack, 1, kb::PenStyle::Solid};
    return op;
}

QPoint Screen(const kb::SimState& s, const kb::Point& pixel)
{
    return {kb::RoundHalfEven(pixel.x), s.BaseY - kb::RoundHalfEven(pixel.y)};
}

void AddRatios()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("ratio 1") << qreal(1);
    QTest::newRow("ratio 2") << qreal(2);
}

}  // namespace

class PainterTest : public QObject {
    Q_OBJECT

private slots:
    void sameShapesAtEveryRatio_data() { AddRatios(); }
    void sameShapesAtEveryRatio();
    void onePixelLinesStayOneLogicalPixel_data() { AddRatios(); }
    void onePixelLinesStayOneLogicalPixel();
    void stampsMatchTheShapesTheyStandFor_data() { AddRatios(); }
    void stampsMatchTheShapesTheyStandFor();
};

void PainterTest::sameShapesAtEveryRatio()
{
    QFETCH(qreal, ratio);
    kb::SimState s;
    kb::test::InitModel(s);
    kb::QtTextMetrics metrics;
    kb::RecordingCanvas canvas(metrics);
    kb::SceneInput input;
    input.viewWidthPx = 615;
    input.viewHeightPx = 568;
    input.flags.PrimaryBeam = true;
    input.flags.LatticePoints = true;
    input.flags.EwaldCircle = true;
    canvas.BeginPass();
    kb::DrawScene(s, input, canvas);
    kb::PaintCache cache;
    const QImage image = Paint(canvas.List(), QSize(615, 568), ratio, cache);

    const QPoint crystal = Screen(s, s.CrystalPixel);
    QVERIFY(Solid(image, crystal, QColor(0, 0, 255)));
    QVERIFY(Solid(image, QPoint(0, 0), Qt::white));
    QVERIFY(Solid(image, QPoint(614, 567), Qt::white));

    // The primary beam, two pixels wide on a pixel edge: rows y - 1 and y.
    const int x = crystal.x() / 2;
    QVERIFY(Solid(image, QPoint(x, crystal.y() - 1), QColor(0x80, 0, 0)));
    QVERIFY(Solid(image, QPoint(x, crystal.y()), QColor(0x80, 0, 0)));
    QVERIFY(Solid(image, QPoint(x, crystal.y() - 2), Qt::white));
    QVERIFY(Solid(image, QPoint(x, crystal.y() + 1), Qt::white));

    // A lattice ring: its outline at its radius, white inside.
    const QPoint centre = Screen(s, kb::LatticeToPixels(s, kb::MakePoint(2.0f, 1.0f)));
    const int r = kb::RoundHalfEven(static_cast<double>(s.LatticePointRadius) * s.ViewScale);
    QVERIFY(r >= 3);
    for (const QPoint offset : {QPoint(r, 0), QPoint(-r, 0), QPoint(0, r), QPoint(0, -r)}) {
        QVERIFY2(Near(image, centre + offset, Bluish),
                 qPrintable(QStringLiteral("ring at %1,%2").arg(offset.x()).arg(offset.y())));
    }
    QVERIFY(Solid(image, centre, Qt::white));

    // The Ewald circle, below the crystal, drawn over the lattice.
    const int vf = kb::RoundHalfEven(s.VF);
    QVERIFY(Near(image, crystal + QPoint(0, vf), Reddish));
    QVERIFY(Near(image, crystal + QPoint(vf, 0), Reddish));
    QVERIFY(Solid(image, crystal + QPoint(vf / 2, vf / 2), Qt::white));
}

void PainterTest::onePixelLinesStayOneLogicalPixel()
{
    QFETCH(qreal, ratio);
    kb::DrawList list;
    list.ops.push_back(FillOp(0, 0, 120, 100, kb::kWhite));
    list.ops.push_back(LineOp(10, 20, 60, 20));
    list.ops.push_back(LineOp(60, 20, 100, 20));
    list.ops.push_back(LineOp(30, 40, 30, 90));
    kb::DrawOp text;
    text.kind = kb::DrawOpKind::Text;
    text.c[0] = 80;
    text.c[1] = 70;
    text.text = "H";
    list.fonts.push_back(kb::Font{"Arial", 20, 0, kb::kBlack});
    list.ops.push_back(text);
    list.ops.push_back(FillOp(60, 50, 70, 60, kb::kRed));
    kb::PaintCache cache;
    const QImage image = Paint(list, QSize(130, 110), ratio, cache);

    for (const int x : {10, 50, 60, 99}) {
        QVERIFY(Solid(image, QPoint(x, 20), Qt::black));
        QVERIFY(Solid(image, QPoint(x, 19), Qt::white));
        QVERIFY(Solid(image, QPoint(x, 21), Qt::white));
    }
    QVERIFY(Solid(image, QPoint(100, 20), Qt::white));
    QVERIFY(Solid(image, QPoint(30, 60), Qt::black));
    QVERIFY(Solid(image, QPoint(29, 60), Qt::white));
    QVERIFY(Solid(image, QPoint(31, 60), Qt::white));
    // A fill covers its left and top edges, not its right and bottom ones.
    QVERIFY(Solid(image, QPoint(60, 50), Qt::red));
    QVERIFY(Solid(image, QPoint(69, 59), Qt::red));
    QVERIFY(Solid(image, QPoint(70, 55), Qt::white));
    QVERIFY(Solid(image, QPoint(65, 60), Qt::white));
    QVERIFY(Solid(image, QPoint(125, 105), Qt::magenta));
    // The text's cell has its top-left corner at the op's point: ink inside
    // the cell, none around it.
    int inkInCell = 0;
    int inkOutside = 0;
    for (int y = 62; y < 96; ++y) {
        for (int x = 72; x < 110; ++x) {
            const QList<QColor> colours = DevicePixels(image, QPoint(x, y));
            const bool ink = std::any_of(colours.begin(), colours.end(),
                                         [](const QColor& c) { return c.lightness() < 128; });
            const bool inCell = x >= 80 && y >= 70 && y < 90;
            (inCell ? inkInCell : inkOutside) += ink ? 1 : 0;
        }
    }
    QVERIFY(inkInCell > 10);
    QCOMPARE(inkOutside, 0);
}

// A raster device gets small ellipses, texts and a long curve as images made
// once; any other device gets the shapes themselves. Replayed from a picture,
// those must give the same pixels, give or take rounding.
void PainterTest::stampsMatchTheShapesTheyStandFor()
{
    QFETCH(qreal, ratio);
    kb::DrawList list;
    list.ops.push_back(FillOp(0, 0, 300, 200, kb::kWhite));
    // A curve of many segments, as the diffractogram's.
    const auto curve = [](int j) {
        return 150 - static_cast<int>(40 * std::exp(-(j % 30 - 15) * (j % 30 - 15) / 20.0));
    };
    for (int i = 0; i < 120; ++i) {
        list.ops.push_back(LineOp(20 + 2 * i, curve(i), 22 + 2 * i, curve(i + 1)));
    }
    kb::DrawOp op;
    op.kind = kb::DrawOpKind::Ellipse;
    op.pen = {kb::kRed, 2, kb::PenStyle::Solid};
    op.brush = {kb::kRed, kb::BrushStyle::Solid};
    op.c[0] = 40;
    op.c[1] = 30;
    op.c[2] = 56;
    op.c[3] = 46;
    list.ops.push_back(op);
    op.kind = kb::DrawOpKind::Text;
    op.c[0] = 70;
    op.c[1] = 30;
    op.text = "-2 3";
    list.fonts.push_back(kb::Font{"Arial", 14, 0, kb::kBlack});
    list.ops.push_back(op);

    kb::PaintCache cache;
    const QImage stamped = Paint(list, QSize(300, 200), ratio, cache);
    QPicture picture;
    {
        QPainter painter(&picture);
        kb::PaintDrawList(painter, list, cache);
    }
    QImage drawn = Blank(QSize(300, 200), ratio);
    {
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.drawPicture(0, 0, picture);
    }
    int worst = 0;
    int inked = 0;
    for (int y = 0; y < stamped.height(); ++y) {
        for (int x = 0; x < stamped.width(); ++x) {
            const QColor a(stamped.pixel(x, y));
            const QColor b(drawn.pixel(x, y));
            worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                              std::abs(a.blue() - b.blue())});
            inked += a.lightness() < 200 ? 1 : 0;
        }
    }
    QVERIFY(inked > 200);
    QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
}

QTEST_MAIN(PainterTest)
#include "test_painter.moc"
