#include <QRect>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>

#include "model/crystal_choice.h"
#include "render_support.h"

using namespace kb;
using namespace kb::test;

namespace {

bool IsPlanePen(const DrawOp& op)
{
    return op.pen == Pen{kBlack, 1, PenStyle::Solid};
}

QList<int> Coords(const DrawOp& op, int count)
{
    return QList<int>(op.c, op.c + count);
}

double ScreenDistance(int x, int y, const ScreenPoint& p)
{
    return std::hypot(x - p.x, y - p.y);
}

}  // namespace

class LayersTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SceneRig> rig;

    ScreenPoint CrystalScreen() const
    {
        return {RoundHalfEven(rig->s.CrystalPixel.x), rig->s.BaseY - RoundHalfEven(rig->s.CrystalPixel.y)};
    }

    ScreenPoint Screen(const Point& pixel) const
    {
        return {RoundHalfEven(pixel.x), rig->s.BaseY - RoundHalfEven(pixel.y)};
    }

    // How far the drawn lattice points reach from the crystal centre.
    double LatticeReach() const
    {
        double reach = 0.0;
        for (const DrawOp* c : rig->Ops(DrawOpKind::Ellipse)) {
            const ScreenPoint centre = CentreOf(*c);
            reach = std::max(reach, ScreenDistance(centre.x, centre.y, CrystalScreen()));
        }
        return reach;
    }

private slots:
    void init() { rig = std::make_unique<SceneRig>(); }

    void nothingChecked()
    {
        for (bool withReflex : {false, true}) {
            if (withReflex) {
                rig->Activate(1, 0);
            }
            rig->Pass();
            const auto& ops = rig->List().ops;
            QCOMPARE(ops.size(), std::size_t{2});
            QCOMPARE(ops[0].kind, DrawOpKind::FillRect);
            QCOMPARE(Coords(ops[0], 4), QList<int>({0, 0, 6350, 5200}));
            QCOMPARE(ops[0].brush, (Brush{kWhite, BrushStyle::Solid}));
            QCOMPARE(ops[1].kind, DrawOpKind::Polygon);
            QCOMPARE(ops[1].brush, (Brush{kBlue, BrushStyle::Solid}));
            QCOMPARE(ops[1].pen.style, PenStyle::Clear);
            QCOMPARE(ops[1].pointCount, std::size_t{4});
            // A parallelogram of about 120 by 117 world units around the crystal centre.
            const ScreenPoint* p = &rig->List().points[ops[1].firstPoint];
            QVERIFY(std::abs((p[0].x + p[2].x) / 2 - CrystalScreen().x) <= 1);
            QVERIFY(std::abs((p[0].y + p[2].y) / 2 - CrystalScreen().y) <= 1);
            QVERIFY(std::fabs(std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) - 120) <= 1.5);
        }
    }

    void latticePlanes_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("lines");
        QTest::newRow("(1 0 0): parallel to b") << 1 << 0 << 9;
        QTest::newRow("(2 0 0): the planes of (1 0 0)") << 2 << 0 << 9;
        QTest::newRow("(0 1 0): parallel to a") << 0 << 1 << 7;
        QTest::newRow("(1 1 0): corner lines left out") << 1 << 1 << 13;
        QTest::newRow("(3 -3 0): planes (1 -1)") << 3 << -3 << 13;
    }

    void latticePlanes()
    {
        QFETCH(int, h);
        QFETCH(int, k);
        QFETCH(int, lines);
        rig->Activate(h, k);
        rig->input.flags.Netzebenen = true;
        rig->input.flags.LatticePoints = true;
        rig->Pass();
        const auto planes = rig->Ops(DrawOpKind::Line, IsPlanePen);
        QCOMPARE(static_cast<int>(planes.size()), lines);
        // Every plane runs across the block of drawn points, from lattice point to lattice point.
        const auto circles = rig->Ops(DrawOpKind::Ellipse);
        QCOMPARE(circles.size(), std::size_t{63});
        const auto onLatticePoint = [&](int x, int y) {
            return std::any_of(circles.begin(), circles.end(),
                               [&](const DrawOp* c) { return ScreenDistance(x, y, CentreOf(*c)) <= 1.5; });
        };
        for (const DrawOp* line : planes) {
            QVERIFY(onLatticePoint(line->c[0], line->c[1]));
            QVERIFY(onLatticePoint(line->c[2], line->c[3]));
        }
    }

    void higherOrderShowsFirstOrderPlanes_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("planeH");
        QTest::addColumn<int>("planeK");
        QTest::newRow("(2 0 0)") << 2 << 0 << 1 << 0;
        QTest::newRow("(3 -3 0)") << 3 << -3 << 1 << -1;
        QTest::newRow("(-2 -2 0)") << -2 << -2 << -1 << -1;
    }

    void higherOrderShowsFirstOrderPlanes()
    {
        QFETCH(int, h);
        QFETCH(int, k);
        QFETCH(int, planeH);
        QFETCH(int, planeK);
        rig->input.flags.Netzebenen = true;
        const auto planesOf = [&](int hh, int kk) {
            rig->s.ActiveReflex = IndexOf(rig->s, hh, kk);
            rig->s.Omega = 0.3f;  // the planes turn with the lattice: compare at one angle
            rig->Pass();
            QList<QList<int>> out;
            for (const DrawOp* op : rig->Ops(DrawOpKind::Line, IsPlanePen)) {
                out.push_back(Coords(*op, 4));
            }
            return out;
        };
        const auto higher = planesOf(h, k);
        QVERIFY(!higher.isEmpty());
        QCOMPARE(higher, planesOf(planeH, planeK));
    }

    void omegaArcThreshold()
    {
        rig->input.flags.OmegaArc = true;
        rig->s.Omega = 0.04f;
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Arc).size(), std::size_t{0});
        QCOMPARE(rig->Ops(DrawOpKind::Line).size(), std::size_t{0});
        rig->s.Omega = std::nextafter(0.04f, 1.0f);
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Arc).size(), std::size_t{1});
        const auto dotted = rig->Ops(DrawOpKind::Line, [](const DrawOp& op) {
            return op.pen == Pen{kBlack, 1, PenStyle::Dot};
        });
        QCOMPARE(dotted.size(), std::size_t{1});
        QCOMPARE(rig->Ops(DrawOpKind::Text, [](const DrawOp& op) { return op.text == "Omega"; }).size(),
                 std::size_t{1});
    }

    void latticePoints()
    {
        rig->input.flags.LatticePoints = true;
        rig->Pass();
        const auto circles = rig->Ops(DrawOpKind::Ellipse);
        QCOMPARE(circles.size(), std::size_t{63});
        for (const DrawOp* c : circles) {
            QCOMPARE(c->pen, (Pen{kBlue, 1, PenStyle::Solid}));
            QCOMPARE(c->brush.style, BrushStyle::Clear);
            QCOMPARE(c->c[2] - c->c[0], 100);
        }
    }

    void diffractedBeamNeedsItsSwitch()
    {
        rig->Activate(1, 0);
        rig->s.DiffractedBeamColour = 0xFF8080;
        rig->input.flags.ThetaArcs = true;
        rig->input.flags.TwoThetaArc = true;
        const auto isBeam = [](const DrawOp& op) { return op.pen == Pen{0xFF8080, 2, PenStyle::Solid}; };
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Arc).size(), std::size_t{0});
        QCOMPARE(rig->Ops(DrawOpKind::Line, isBeam).size(), std::size_t{0});

        rig->input.flags.Diffracted = true;
        rig->Pass();
        const auto beam = rig->Ops(DrawOpKind::Line, isBeam);
        QCOMPARE(beam.size(), std::size_t{3});  // shaft and head
        const double angle = Deg(std::atan2(beam[0]->c[1] - beam[0]->c[3], beam[0]->c[2] - beam[0]->c[0]));
        QVERIFY(std::fabs(angle - 2 * Deg(At(rig->s, rig->s.ActiveReflex).Theta)) < 0.1);
        QVERIFY(std::fabs(ScreenDistance(beam[0]->c[2], beam[0]->c[3], CrystalScreen()) - 2100) < 1.5);
        QCOMPARE(rig->Ops(DrawOpKind::Arc).size(), std::size_t{4});
        QCOMPARE(rig->Ops(DrawOpKind::Arc, [](const DrawOp& op) { return op.pen.colour == kDarkRed; }).size(),
                 std::size_t{1});
        QCOMPARE(rig->Ops(DrawOpKind::Text).size(), std::size_t{4});
    }

    void reflectedPointsAfterGroundPosition()
    {
        rig->input.flags.PointMode = ReciprocalPointMode::Reflected;
        rig->input.flags.EwaldMarks = true;
        for (int i = 0; i < 300; ++i) {  // the first reflections leave their marks
            RotationStep(rig->s);
            rig->Pass();
            AdvanceSweepIfPassed(rig->s);
        }
        QVERIFY(rig->Ops(DrawOpKind::Ellipse).size() > 1);
        ResetToGroundPosition(rig->s);
        rig->Pass();
        const auto ellipses = rig->Ops(DrawOpKind::Ellipse);
        QCOMPARE(ellipses.size(), std::size_t{1});  // the origin mark alone
        QCOMPARE(ellipses[0]->c[2] - ellipses[0]->c[0], 12);
        QCOMPARE(ellipses[0]->brush, (Brush{kWhite, BrushStyle::Solid}));
        QCOMPARE(ellipses[0]->pen, (Pen{kRed, 2, PenStyle::Solid}));
        QCOMPARE(rig->Ops(DrawOpKind::Text).size(), std::size_t{0});
        rig->input.flags.PointMode = ReciprocalPointMode::None;
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Ellipse).size(), std::size_t{0});
    }

    void activeReflexMarkedInItsFirstPass()
    {
        rig->input.flags.PointMode = ReciprocalPointMode::Reflected;
        rig->input.flags.EwaldMarks = true;
        for (int tick = 1; tick <= 40; ++tick) {
            RotationStep(rig->s);
            rig->Pass();
            AdvanceSweepIfPassed(rig->s);
            if (rig->s.ActiveReflex == -1) {
                QCOMPARE(rig->Ops(DrawOpKind::Ellipse).size(), std::size_t{1});
            }
        }
        QCOMPARE(rig->s.ActiveReflex, IndexOf(rig->s, -1, 3));
        const auto discs = rig->Ops(DrawOpKind::Ellipse, [](const DrawOp& op) {
            return op.brush == Brush{kRed, BrushStyle::Solid};
        });
        QCOMPARE(discs.size(), std::size_t{1});
        const ScreenPoint q = Screen(ReciprocalToPixels(rig->s, MakePoint(-1, 3)));
        QVERIFY(ScreenDistance(q.x, q.y, CentreOf(*discs[0])) <= 1);
        const auto rings = rig->Ops(DrawOpKind::Ellipse, [](const DrawOp& op) { return op.pen.width == 10; });
        QCOMPARE(rings.size(), std::size_t{1});
        const auto labels = rig->Ops(DrawOpKind::Text);
        QCOMPARE(labels.size(), std::size_t{1});
        QCOMPARE(labels[0]->text, std::string("-1 3"));
    }

    void allReciprocalPoints()
    {
        rig->input.flags.PointMode = ReciprocalPointMode::All;
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Ellipse).size(), std::size_t{57});
        const auto labels = rig->Ops(DrawOpKind::Text);
        QCOMPARE(labels.size(), std::size_t{56});
        const auto minusOne = rig->Ops(DrawOpKind::Text, [](const DrawOp& op) { return op.text == "-1 0"; });
        QCOMPARE(minusOne.size(), std::size_t{1});
        QCOMPARE(rig->List().FontOf(*minusOne[0]).face, std::string("Arial"));
        QCOMPARE(rig->List().FontOf(*minusOne[0]).height, 120);
        // Centred over its disc, the bottom edge on the top of the disc.
        const ScreenPoint q = Screen(ReciprocalToPixels(rig->s, MakePoint(-1, 0)));
        QVERIFY(std::abs(minusOne[0]->c[0] + 14 - q.x) <= 1);
        QVERIFY(std::abs(minusOne[0]->c[1] + 120 - (q.y - 40)) <= 1);

        rig->s.ShowIndexLabels = false;
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Ellipse).size(), std::size_t{57});
        QCOMPARE(rig->Ops(DrawOpKind::Text).size(), std::size_t{0});
    }

    void scatteringVectorEndsOnTheEwaldCircle()
    {
        rig->input.flags.ReciprocalVector = true;
        rig->input.flags.ThetaArcs = true;
        const Pen vectorPen{kGreen, 2, PenStyle::Solid};
        for (int press = 0; press < rig->s.ReflexCount; ++press) {
            StepToNextReflex(rig->s);
            rig->Pass();
            const auto lines =
                rig->Ops(DrawOpKind::Line, [&](const DrawOp& op) { return op.pen == vectorPen; });
            QCOMPARE(lines.size(), std::size_t{4});  // shaft, head, the line from the corner
            const DrawOp& shaft = *lines[0];
            QCOMPARE(ScreenPoint({shaft.c[0], shaft.c[1]}), Screen(rig->s.ReciprocalOrigin));
            QVERIFY(std::fabs(ScreenDistance(shaft.c[2], shaft.c[3], CrystalScreen()) - rig->s.VF) <= 1.0);
            QCOMPARE(ScreenPoint({lines[3]->c[2], lines[3]->c[3]}), ScreenPoint({shaft.c[2], shaft.c[3]}));
            const auto construction = rig->Ops(DrawOpKind::Arc);
            QCOMPARE(construction.size(), std::size_t{1});
            QCOMPARE(construction[0]->c[2] - construction[0]->c[0], 1200);  // radius 600 world units
            // At its exact Bragg position the reflection's point lies on the circle.
            const Point mark = At(rig->s, rig->s.ActiveReflex).EwaldMark;
            const double fromCentre =
                std::hypot(mark.x - rig->s.CrystalCentre.x, mark.y - rig->s.CrystalCentre.y);
            QVERIFY2(std::fabs(fromCentre - 1100.0) < 1.0, qPrintable(QString::number(fromCentre)));
            QVERIFY(ScreenDistance(shaft.c[2], shaft.c[3], Screen(ToPixels(rig->s, mark))) <= 1.5);
        }
    }

    // Other crystals at the picture's scale: neighbouring points a and b
    // apart, the planes of the reflection in Bragg position d apart.
    void otherCrystalsTrueToScale_data()
    {
        QTest::addColumn<QList<double>>("c");  // a, b, gamma, lambda, h, k
        QTest::newRow("square, (1 1)") << QList<double>{300, 300, 90, kLambdaPm, 1, 1};
        QTest::newRow("large hexagonal, (2 0)") << QList<double>{1000, 1000, 120, 300, 2, 0};
    }

    void otherCrystalsTrueToScale()
    {
        QFETCH(QList<double>, c);
        QVERIFY(ChangeCrystal(rig->s, {float(c[0]), float(c[1]), float(c[2]), float(c[3])}).accepted);
        rig->input.viewWidthPx = 2540;  // 0.4 px per world unit
        rig->input.viewHeightPx = 2400;
        rig->input.flags.LatticePoints = rig->input.flags.Netzebenen = true;
        rig->Activate(int(c[4]), int(c[5]));
        rig->Pass();
        const auto circles = rig->Ops(DrawOpKind::Ellipse);
        const ScreenPoint o = CentreOf(*circles[0]);
        const ScreenPoint alongA = CentreOf(*circles[1]);
        const ScreenPoint alongB = CentreOf(*circles[std::size_t(2 * rig->s.LatticeIMax + 1)]);
        QVERIFY(std::fabs(ScreenDistance(alongA.x, alongA.y, o) - 0.4 * c[0]) <= 1.5);
        QVERIFY(std::fabs(ScreenDistance(alongB.x, alongB.y, o) - 0.4 * c[1]) <= 1.5);
        const int n = std::gcd(int(c[4]), int(c[5]));
        const double h = c[4] / n, k = c[5] / n, g = c[2] * std::numbers::pi / 180.0;
        const double d = std::sin(g) / std::sqrt(h * h / (c[0] * c[0]) + k * k / (c[1] * c[1]) -
                                                 2 * h * k * std::cos(g) / (c[0] * c[1]));
        const auto planes = rig->Ops(DrawOpKind::Line, IsPlanePen);
        QVERIFY(planes.size() >= 2);
        const int* p = planes[0]->c;
        const int* q = planes[1]->c;
        const double apart =
            std::fabs(double(p[2] - p[0]) * (q[1] - p[1]) - double(p[3] - p[1]) * (q[0] - p[0])) /
            std::hypot(p[2] - p[0], p[3] - p[1]);
        QVERIFY2(std::fabs(apart - 0.4 * d) <= 1.5, qPrintable(QString::number(apart)));
    }

    // A wide area holds the scene laid out for the width its height allows,
    // centred: every label inside, the plot's margins equal. The standard
    // crystal's curve keeps its height; a taller one is scaled into its band.
    void wideAreaHoldsTheWholeScene_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1920 x 1080") << QSize(1920, 1080);
        QTest::newRow("2000 x 800") << QSize(2000, 800);
    }

    void wideAreaHoldsTheWholeScene()
    {
        QFETCH(QSize, size);
        rig->input.viewWidthPx = size.width();
        rig->input.viewHeightPx = size.height();
        rig->input.flags =
            DisplayFlags{true, true, true, true, ReciprocalPointMode::All, true, true, true, true, true, true,
                         true, true, true, true};
        for (int step = 0; step < rig->s.ReflexCount; ++step) {
            StepToNextReflex(rig->s);
            rig->Pass();
            for (const DrawOp* text : rig->Ops(DrawOpKind::Text)) {
                const Font& font = rig->List().FontOf(*text);
                const QRect box(text->c[0], text->c[1], rig->metrics.TextWidth(font, text->text),
                                rig->metrics.TextHeight(font, text->text));
                QVERIFY2(QRect(QPoint(0, 0), size).contains(box), text->text.c_str());
            }
        }
        const auto rise = [&] {  // of the curve, the last 601 black lines
            const auto lines = rig->Ops(DrawOpKind::Line, IsPlanePen);
            const int zero = rig->s.BaseY - RoundHalfEven(300 * rig->s.ViewScale);
            int top = zero;
            std::for_each(lines.end() - 601, lines.end(),
                          [&](const DrawOp* l) { top = std::min(top, l->c[1]); });
            return zero - top;
        };
        const auto lines = rig->Ops(DrawOpKind::Line, IsPlanePen);
        QVERIFY(std::abs(lines[lines.size() - 601]->c[0] - (size.width() - lines.back()->c[0])) <= 2);
        const double unit = 600 * rig->s.ViewScale;
        QVERIFY(std::abs(rise() - unit * *std::max_element(rig->s.Diffractogram.begin(),
                                                           rig->s.Diffractogram.end())) <= 1);
        for (float& bin : rig->s.Diffractogram) {
            bin *= 8.0f;
        }
        rig->Pass();
        QVERIFY(std::abs(rise() - std::max(size.height() / 5.0, 3.0 * unit)) <= 1);
    }

    // At and near backscatter the Theta arc at the Ewald corner spans Theta.
    void thetaArcAtTheEwaldCorner()
    {
        rig->input.viewWidthPx = 615;
        rig->input.viewHeightPx = 568;
        rig->input.flags.ReciprocalVector = rig->input.flags.ThetaArcs = true;
        rig->Activate(1, 0);
        for (const double thetaDeg : {90.0, 89.97}) {
            rig->s.ReflexTable[std::size_t(rig->s.ActiveReflex)].Theta =
                float(thetaDeg * std::numbers::pi / 180);
            rig->Pass();
            const int* a = rig->Ops(DrawOpKind::Arc).at(0)->c;
            const auto ray = [&](int x, int y) {
                return Deg(std::atan2((a[1] + a[3]) / 2.0 - y, x - (a[0] + a[2]) / 2.0));
            };
            QVERIFY2(std::fabs(ray(a[6], a[7]) - ray(a[4], a[5]) - thetaDeg) < 2.0,
                     qPrintable(QString::number(thetaDeg)));
        }
    }

    // Mo K-alpha-1 brings the reciprocal points of the standard lattice close
    // together; labels as wide as their spacing are kept to the reflection in
    // Bragg position and the recorded ones.
    void crowdedLabels()
    {
        QVERIFY(ChangeCrystal(rig->s, {kLatticeAPm, kLatticeBPm, kGammaDeg, 70.930f}).accepted);
        rig->input.flags.PointMode = ReciprocalPointMode::All;
        rig->Activate(1, 0);
        rig->s.ReflexTable[static_cast<std::size_t>(IndexOf(rig->s, 0, 1))].PeakRecorded = true;
        rig->s.ReflexTable[static_cast<std::size_t>(IndexOf(rig->s, 2, -1))].PeakRecorded = true;
        for (const int charWidth : {7, 60}) {
            rig->metrics.charWidthPx = charWidth;
            rig->Pass();
            const auto discs = rig->Ops(DrawOpKind::Ellipse, [](const DrawOp& op) {
                return op.brush == Brush{kRed, BrushStyle::Solid};
            });
            QCOMPARE(static_cast<int>(discs.size()), rig->s.ReflexCount);
            double spacing = 1e9;
            for (std::size_t i = 0; i < discs.size(); ++i) {
                for (std::size_t j = i + 1; j < discs.size(); ++j) {
                    const ScreenPoint p = CentreOf(*discs[i]);
                    spacing = std::min(spacing, ScreenDistance(p.x, p.y, CentreOf(*discs[j])));
                }
            }
            std::size_t widest = 0;
            for (const Reflex& r : rig->s.ReflexTable) {
                widest = std::max(widest, (std::to_string(r.H) + " " + std::to_string(r.K)).size());
            }
            const bool crowded = spacing < static_cast<double>(charWidth * widest);
            QCOMPARE(crowded, charWidth == 60);
            QStringList labels;
            for (const DrawOp* op : rig->Ops(DrawOpKind::Text)) {
                labels << QString::fromStdString(op->text);
            }
            if (crowded) {
                labels.sort();
                QCOMPARE(labels, QStringList({"0 1", "1 0", "2 -1"}));
            } else {
                QCOMPARE(static_cast<int>(labels.size()), rig->s.ReflexCount);
            }
        }
        // After a full turn every reflection is recorded: the labels still
        // keep clear of one another, and the active one has its label.
        for (Reflex& r : rig->s.ReflexTable) {
            r.PeakRecorded = true;
        }
        rig->Pass();
        const auto texts = rig->Ops(DrawOpKind::Text);
        QVERIFY(texts.size() > 3);
        QVERIFY(std::any_of(texts.begin(), texts.end(), [](const DrawOp* op) { return op->text == "1 0"; }));
        const int height = rig->metrics.TextHeight(rig->List().FontOf(*texts.front()), "1");
        for (std::size_t i = 0; i < texts.size(); ++i) {
            for (std::size_t j = i + 1; j < texts.size(); ++j) {
                const QRect a(texts[i]->c[0], texts[i]->c[1], 60 * static_cast<int>(texts[i]->text.size()),
                              height);
                const QRect b(texts[j]->c[0], texts[j]->c[1], 60 * static_cast<int>(texts[j]->text.size()),
                              height);
                QVERIFY2(!a.intersects(b), (texts[i]->text + " / " + texts[j]->text).c_str());
            }
        }
    }

    void coordinatesStayFinite_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("6350 x 3200") << 6350 << 3200;
        QTest::newRow("463 x 480") << 463 << 480;
    }

    void coordinatesStayFinite()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        rig->input.viewWidthPx = width;
        rig->input.viewHeightPx = height;
        DisplayFlags& f = rig->input.flags;
        f = DisplayFlags{true, true, true, true, ReciprocalPointMode::All, true, true, true, true, true, true,
                         true, true, true, true};
        rig->s.ShowReadouts = true;
        const int limit = 20 * std::max(width, height);
        for (int step = 0; step <= 2 * rig->s.ReflexCount; ++step) {
            if (step % 2 == 0) {
                StepToNextReflex(rig->s);
            } else {
                RotationStep(rig->s);
            }
            const Readouts r = rig->Pass();
            for (const std::string& line : r.listLines) {
                QVERIFY(line.find("NAN") == std::string::npos && line.find("INF") == std::string::npos);
            }
            for (const DrawOp& op : rig->List().ops) {
                for (int c : op.c) {
                    QVERIFY2(std::abs(c) < limit, qPrintable(QString::number(c)));
                }
            }
            for (const ScreenPoint& p : rig->List().points) {
                QVERIFY(std::abs(p.x) < limit && std::abs(p.y) < limit);
            }
        }
    }
};

QTEST_APPLESS_MAIN(LayersTest)
#include "test_layers.moc"
