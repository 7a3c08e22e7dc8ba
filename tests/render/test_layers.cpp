#include <QRect>
#include <QTest>
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
        for (int tick = 1; tick <= 45; ++tick) {
            RotationStep(rig->s);
            rig->Pass();
            AdvanceSweepIfPassed(rig->s);
            if (rig->s.ActiveReflex == -1) {
                QCOMPARE(rig->Ops(DrawOpKind::Ellipse).size(), std::size_t{1});
            }
        }
        QCOMPARE(rig->s.ActiveReflex, IndexOf(rig->s, 0, 1));
        const auto discs = rig->Ops(DrawOpKind::Ellipse, [](const DrawOp& op) {
            return op.brush == Brush{kRed, BrushStyle::Solid};
        });
        QCOMPARE(discs.size(), std::size_t{1});
        const ScreenPoint q = Screen(ReciprocalToPixels(rig->s, MakePoint(0, 1)));
        QVERIFY(ScreenDistance(q.x, q.y, CentreOf(*discs[0])) <= 1);
        const auto rings = rig->Ops(DrawOpKind::Ellipse, [](const DrawOp& op) { return op.pen.width == 10; });
        QCOMPARE(rings.size(), std::size_t{1});
        const auto labels = rig->Ops(DrawOpKind::Text);
        QCOMPARE(labels.size(), std::size_t{1});
        QCOMPARE(labels[0]->text, std::string("0 1"));
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

    // Every crystal at the picture's scale: neighbouring points a and b apart,
    // the planes of the reflection in Bragg position d apart, and a block of
    // about the standard's area that turns within the standard's circle.
    void otherCrystalsTrueToScale_data()
    {
        QTest::addColumn<float>("a");
        QTest::addColumn<float>("b");
        QTest::addColumn<float>("gamma");
        QTest::addColumn<float>("lambda");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::newRow("square, (1 1)") << 300.0f << 300.0f << 90.0f << kLambdaPm << 1 << 1;
        QTest::newRow("hexagonal, (2 -1)") << 300.0f << 300.0f << 120.0f << kLambdaPm << 2 << -1;
        QTest::newRow("large cell, (2 0) shows (1 0)") << 1000.0f << 1000.0f << 90.0f << 300.0f << 2 << 0;
    }

    void otherCrystalsTrueToScale()
    {
        QFETCH(float, a);
        QFETCH(float, b);
        QFETCH(float, gamma);
        QFETCH(float, lambda);
        QFETCH(int, h);
        QFETCH(int, k);
        rig->input.viewWidthPx = 2540;  // 0.4 px per world unit
        rig->input.viewHeightPx = 2400;
        rig->input.flags.LatticePoints = true;
        const auto blockArea = [&] {
            // Corners (IMin, JMin), (IMax, JMin) and (IMax, JMax) of the block, in drawing order.
            const auto circles = rig->Ops(DrawOpKind::Ellipse);
            const std::size_t row = static_cast<std::size_t>(rig->s.LatticeIMax - rig->s.LatticeIMin + 1);
            const ScreenPoint p0 = CentreOf(*circles.front());
            const ScreenPoint p1 = CentreOf(*circles[row - 1]);
            const ScreenPoint p2 = CentreOf(*circles.back());
            return std::fabs(double(p1.x - p0.x) * (p2.y - p1.y) - double(p1.y - p0.y) * (p2.x - p1.x));
        };
        rig->Pass();
        const double standardReach = LatticeReach();
        const double standardArea = blockArea();

        QVERIFY(ChangeCrystal(rig->s, {a, b, gamma, lambda}).accepted);
        rig->Activate(h, k);
        rig->input.flags.Netzebenen = true;
        rig->Pass();
        const double scale = rig->s.ViewScale;
        QCOMPARE(rig->s.ViewScale, 0.4f);
        const auto circles = rig->Ops(DrawOpKind::Ellipse);
        const int row = rig->s.LatticeIMax - rig->s.LatticeIMin + 1;
        QVERIFY(row >= 3 && rig->s.LatticeJMax - rig->s.LatticeJMin >= 2);  // two cells each way at least
        const ScreenPoint origin = CentreOf(*circles[0]);
        const ScreenPoint alongA = CentreOf(*circles[1]);
        const ScreenPoint alongB = CentreOf(*circles[static_cast<std::size_t>(row)]);
        QVERIFY2(std::fabs(ScreenDistance(alongA.x, alongA.y, origin) - a * scale) <= 1.5, "a");
        QVERIFY2(std::fabs(ScreenDistance(alongB.x, alongB.y, origin) - b * scale) <= 1.5, "b");
        const double angle = std::atan2(origin.y - alongB.y, alongB.x - origin.x) -
                             std::atan2(origin.y - alongA.y, alongA.x - origin.x);
        QVERIFY(std::fabs(std::remainder(Deg(angle) - gamma, 360.0)) < 1.0);

        // Plane spacing of (h/n k/n), from a, b and gamma.
        const int n = std::gcd(std::abs(h), std::abs(k));
        const double ph = h / n;
        const double pk = k / n;
        const double g = gamma * std::numbers::pi / 180.0;
        const double d = std::sin(g) / std::sqrt(ph * ph / (a * a) + pk * pk / (b * b) -
                                                 2.0 * ph * pk * std::cos(g) / (a * b));
        const auto planes = rig->Ops(DrawOpKind::Line, IsPlanePen);
        QVERIFY(planes.size() >= 2);
        for (std::size_t i = 0; i + 1 < planes.size(); ++i) {
            const DrawOp& l0 = *planes[i];
            const DrawOp& l1 = *planes[i + 1];
            const double dx = l0.c[2] - l0.c[0];
            const double dy = l0.c[3] - l0.c[1];
            const double mx = (l1.c[0] + l1.c[2]) / 2.0 - l0.c[0];
            const double my = (l1.c[1] + l1.c[3]) / 2.0 - l0.c[1];
            const double apart = std::fabs(dx * my - dy * mx) / std::hypot(dx, dy);
            QVERIFY2(std::fabs(apart - d * scale) <= 1.5, qPrintable(QString::number(apart)));
        }
        QVERIFY2(LatticeReach() <= standardReach + 1.5, qPrintable(QString::number(LatticeReach())));
        const double areaShare = blockArea() / standardArea;
        QVERIFY2(areaShare > 0.6 && areaShare < 1.25, qPrintable(QString::number(areaShare)));
    }

    // A wide drawing area holds the scene laid out for the width its height
    // allows, centred: every label and disc inside, the plot's margins equal.
    void wideAreaHoldsTheWholeScene_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("1920 x 1080") << 1920 << 1080;
        QTest::newRow("2000 x 800") << 2000 << 800;
        QTest::newRow("1200 x 800") << 1200 << 800;
    }

    void wideAreaHoldsTheWholeScene()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        rig->input.viewWidthPx = width;
        rig->input.viewHeightPx = height;
        DisplayFlags& f = rig->input.flags;
        f = DisplayFlags{true, true, true, true, ReciprocalPointMode::All, true, true, true, true, true, true,
                         true, true, true, true};
        for (int step = 0; step < rig->s.ReflexCount; ++step) {
            StepToNextReflex(rig->s);
            rig->Pass();
            const auto& ops = rig->List().ops;
            QCOMPARE(Coords(ops[0], 4), QList<int>({0, 0, width, height}));
            for (const DrawOp* text : rig->Ops(DrawOpKind::Text)) {
                const Font& font = rig->List().FontOf(*text);
                const QRect box(text->c[0], text->c[1], rig->metrics.TextWidth(font, text->text),
                                rig->metrics.TextHeight(font, text->text));
                QVERIFY2(QRect(0, 0, width, height).contains(box), text->text.c_str());
            }
            for (const DrawOp* disc : rig->Ops(DrawOpKind::Ellipse)) {
                QVERIFY(QRect(QPoint(0, 0), QSize(width, height))
                            .contains(QRect(QPoint(disc->c[0], disc->c[1]), QPoint(disc->c[2], disc->c[3]))));
            }
            const auto curve = rig->Ops(DrawOpKind::Line, [](const DrawOp& op) {
                return op.pen == Pen{kBlack, 1, PenStyle::Solid};
            });
            const int left = curve[curve.size() - 601]->c[0];
            const int right = curve.back()->c[0];  // the 180 degree mark, where bin 600 starts
            QVERIFY2(std::abs(left - (width - right)) <= 2,
                     qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        }
    }

    // Backscatter: the arcs keep their true angles, none becomes a full turn.
    void arcsNearBackscatter_data()
    {
        QTest::addColumn<double>("thetaDeg");
        QTest::newRow("90") << 90.0;
        QTest::newRow("89.97") << 89.97;
        QTest::newRow("89") << 89.0;
    }

    void arcsNearBackscatter()
    {
        QFETCH(double, thetaDeg);
        rig->input.viewWidthPx = 615;
        rig->input.viewHeightPx = 568;
        DisplayFlags& f = rig->input.flags;
        f.Diffracted = f.ThetaArcs = f.TwoThetaArc = f.ReciprocalVector = true;
        rig->Activate(1, 0);
        Reflex& active = rig->s.ReflexTable[static_cast<std::size_t>(rig->s.ActiveReflex)];
        active.Theta = static_cast<float>(thetaDeg * std::numbers::pi / 180.0);
        rig->Pass();
        const auto arcs = rig->Ops(DrawOpKind::Arc);
        QCOMPARE(arcs.size(), std::size_t{5});
        const auto rayDeg = [](const DrawOp& arc, int x, int y) {
            const double cx = (arc.c[0] + arc.c[2]) / 2.0;
            const double cy = (arc.c[1] + arc.c[3]) / 2.0;
            return std::fmod(Deg(std::atan2(cy - y, x - cx)) + 360.0, 360.0);
        };
        // Spans counterclockwise: 2Theta, Theta, Theta, the red Theta, Theta at the Ewald corner.
        const QList<double> spans{2 * thetaDeg, thetaDeg, thetaDeg, thetaDeg, thetaDeg};
        for (std::size_t i = 0; i < arcs.size(); ++i) {
            const DrawOp& arc = *arcs[i];
            const double span =
                std::fmod(rayDeg(arc, arc.c[6], arc.c[7]) - rayDeg(arc, arc.c[4], arc.c[5]) + 360.0, 360.0);
            QVERIFY2(std::fabs(span - spans[static_cast<qsizetype>(i)]) < 2.0,
                     qPrintable(QStringLiteral("arc %1 spans %2").arg(i).arg(span)));
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
