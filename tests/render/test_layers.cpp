#include <QTest>
#include <cmath>
#include <memory>

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
            QCOMPARE(Coords(ops[0], 4), QList<int>({0, 0, 6350, 3200}));
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

    void otherCrystalsFillTheSameView_data()
    {
        QTest::addColumn<float>("a");
        QTest::addColumn<float>("b");
        QTest::addColumn<float>("gamma");
        QTest::newRow("square") << 300.0f << 300.0f << 90.0f;
        QTest::newRow("hexagonal") << 300.0f << 300.0f << 120.0f;
        QTest::newRow("wide angle") << 300.0f << 390.0f << 150.0f;
        QTest::newRow("long b, narrow angle") << 100.0f << 1000.0f << 60.0f;
        QTest::newRow("large cell") << 1000.0f << 1000.0f << 90.0f;
    }

    void otherCrystalsFillTheSameView()
    {
        QFETCH(float, a);
        QFETCH(float, b);
        QFETCH(float, gamma);
        rig->input.flags.LatticePoints = true;
        rig->input.flags.DirectAxes = true;
        rig->Pass();
        const double standardReach = LatticeReach();
        // The wavelength plays no part in the direct lattice; the longest keeps every cell in range.
        QVERIFY(ChangeCrystal(rig->s, {a, b, gamma, kMaxLambdaPm}).accepted);
        rig->Pass();
        QVERIFY2(std::fabs(LatticeReach() - standardReach) <= 2.0,
                 qPrintable(QString::number(LatticeReach())));
        // Drawn to one scale: the axes keep the ratio of a to b and the angle gamma.
        const auto axisA =
            rig->Ops(DrawOpKind::Line, [](const DrawOp& op) { return op.pen.colour == kGreen; });
        const auto axisB =
            rig->Ops(DrawOpKind::Line, [](const DrawOp& op) { return op.pen.colour == kBlue; });
        QCOMPARE(axisA.size(), std::size_t{1});
        QCOMPARE(axisB.size(), std::size_t{1});
        const auto length = [](const DrawOp* l) { return std::hypot(l->c[2] - l->c[0], l->c[3] - l->c[1]); };
        const auto angle = [](const DrawOp* l) { return std::atan2(l->c[1] - l->c[3], l->c[2] - l->c[0]); };
        QVERIFY(std::fabs(length(axisA[0]) / length(axisB[0]) / (a / b) - 1.0) < 0.02);
        QVERIFY(std::fabs(Deg(angle(axisB[0]) - angle(axisA[0])) - gamma) < 0.5);
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
