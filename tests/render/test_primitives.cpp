#include <QTest>
#include <cmath>

#include "render/primitives.h"
#include "render_support.h"

using namespace kb;
using namespace kb::test;

namespace {

double Length(const Point& v)
{
    return std::hypot(v.x, v.y);
}
double DirectionDeg(const Point& v)
{
    return Deg(std::atan2(v.y, v.x));
}
Point Minus(const Point& a, const Point& b)
{
    return MakePoint(a.x - b.x, a.y - b.y);
}

}  // namespace

class PrimitivesTest : public QObject {
    Q_OBJECT

private:
    SimState s;
    FakeMetrics metrics;

private slots:
    void init()
    {
        s = SimState{};
        InitModel(s);
        ComputePassGeometry(s, 6350, 5200);
    }

    void viewGeometry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("baseY");
        QTest::newRow("6350 wide") << 6350 << 5200 << 1.0 << 5179;
        QTest::newRow("smallest window, 640 x 480 less the panel") << 463 << 480 << 0.0729134 << 459;
    }

    void viewGeometry()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, scale);
        ComputePassGeometry(s, width, height);
        QVERIFY(std::fabs(s.ViewScale - scale) < 1e-6);
        QTEST(s.BaseY, "baseY");
        QVERIFY(std::fabs(s.VF - 1100.0 * scale) < 1e-3);
        QVERIFY(std::fabs(s.InverseScale * s.ViewScale - 1.0) < 1e-6);
        // The crystal and the Ewald circle keep their place in world units.
        QCOMPARE(BeamToPixels(s, MakePoint(0, 0)), s.CrystalPixel);
        QCOMPARE(ToPixels(s, s.CrystalCentre), s.CrystalPixel);
        QVERIFY(std::fabs(s.CrystalCentre.x - 6350.0 / 2.8) < 1e-3);
        QVERIFY(std::fabs(s.CrystalCentre.y - 30000.0 / 11.0) < 1e-3);
        QCOMPARE(s.ReciprocalOrigin.y, s.CrystalPixel.y);
        QVERIFY(std::fabs(s.ReciprocalOrigin.x - s.CrystalPixel.x - s.VF) < 1e-3);
    }

    void unitVectorsAtOmegaZero()
    {
        const Point a = Minus(LatticeToPixels(s, MakePoint(1, 0)), s.CrystalPixel);
        const Point b = Minus(LatticeToPixels(s, MakePoint(0, 1)), s.CrystalPixel);
        QVERIFY(std::fabs(a.x - 300.0) < 1e-3 && std::fabs(a.y) < 1e-3);
        QVERIFY(std::fabs(Length(b) - 390.0) < 1e-3);
        QVERIFY(std::fabs(DirectionDeg(b) - 111.0) < 1e-4);
        const Point bStar = Minus(ReciprocalToPixels(s, MakePoint(0, 1)), s.ReciprocalOrigin);
        const Point aStar = Minus(ReciprocalToPixels(s, MakePoint(1, 0)), s.ReciprocalOrigin);
        QVERIFY(std::fabs(bStar.x) < 1e-3);
        QVERIFY(std::fabs(bStar.y - 0.4231050 * 1100.0) < 1e-3);
        QVERIFY(std::fabs(Length(aStar) - 0.5500365 * 1100.0) < 1e-3);
        QVERIFY(std::fabs(DirectionDeg(aStar) - 21.0) < 1e-4);
        // a* is perpendicular to b, and b* to a.
        QVERIFY(std::fabs(aStar.x * b.x + aStar.y * b.y) / (Length(aStar) * Length(b)) < 1e-5);
    }

    void rotationIsCounterclockwise()
    {
        s.Omega = static_cast<float>(std::numbers::pi / 2);
        ComputePassGeometry(s, 6350, 5200);
        const Point a = Minus(LatticeToPixels(s, MakePoint(1, 0)), s.CrystalPixel);
        const Point bStar = Minus(ReciprocalToPixels(s, MakePoint(0, 1)), s.ReciprocalOrigin);
        QVERIFY(std::fabs(a.x) < 1e-3 && std::fabs(a.y - 300.0) < 1e-3);  // up on the screen
        QVERIFY(bStar.x < 0 && std::fabs(bStar.y) < 1e-3);                // to the left
        const Point mark = ReciprocalToWorld(s, MakePoint(0, 1));
        QVERIFY(std::fabs(mark.x * s.ViewScale - (s.ReciprocalOrigin.x + bStar.x)) < 1e-2);
    }

    void circleRoundsCentreAndRadiusApart()
    {
        RecordingCanvas canvas(metrics);
        Primitives(s, canvas).DrawCircle(MakePoint(10.5f, 0.0f), 2.5f);
        QCOMPARE(canvas.List().ops.size(), std::size_t{1});
        const DrawOp& op = canvas.List().ops[0];
        QCOMPARE(op.kind, DrawOpKind::Ellipse);
        QCOMPARE(QList<int>({op.c[0], op.c[1], op.c[2], op.c[3]}),
                 QList<int>({8, s.BaseY - 2, 12, s.BaseY + 2}));
    }

    void arrowHead()
    {
        RecordingCanvas canvas(metrics);
        canvas.SetPenStyle(PenStyle::Dash);
        Primitives(s, canvas).DrawArrow(MakePoint(0, 0), MakePoint(100, 0));
        const auto& ops = canvas.List().ops;
        QCOMPARE(ops.size(), std::size_t{3});
        const int y = s.BaseY;
        // Head strokes end at (100 - 20 cos 0.3, -+20 sin 0.3) = (80.9, -+5.9), y up.
        QCOMPARE(QList<int>({ops[0].c[0], ops[0].c[1], ops[0].c[2], ops[0].c[3]}),
                 QList<int>({0, y, 100, y}));
        QCOMPARE(QList<int>({ops[1].c[0], ops[1].c[1], ops[1].c[2], ops[1].c[3]}),
                 QList<int>({100, y, 81, y + 6}));
        QCOMPARE(QList<int>({ops[2].c[0], ops[2].c[1], ops[2].c[2], ops[2].c[3]}),
                 QList<int>({100, y, 81, y - 6}));
        for (const DrawOp& op : ops) {
            QCOMPARE(op.pen.style, PenStyle::Dash);
        }
    }

    void arcFromBeamAxisToTwoTheta()
    {
        s.ActiveReflex = s.Reflex10Index;
        const PassGeometry g = ComputePassGeometry(s, 6350, 5200);
        RecordingCanvas canvas(metrics);
        const Point end = MakePoint(2100.0f * g.CosTwoTheta, 2100.0f * g.SinTwoTheta);
        Primitives(s, canvas).DrawBeamArc(g.BeamAxisPoint, end, "2Theta", 2100, 150);
        const auto& ops = canvas.List().ops;
        QCOMPARE(ops.size(), std::size_t{2});
        const DrawOp& arc = ops[0];
        QCOMPARE(arc.kind, DrawOpKind::Arc);
        QCOMPARE(arc.pen, (Pen{kBlack, 1, PenStyle::Solid}));
        const int cx = (arc.c[0] + arc.c[2]) / 2;
        const int cy = (arc.c[1] + arc.c[3]) / 2;
        QVERIFY(std::abs(cx - RoundHalfEven(s.CrystalPixel.x)) <= 1);
        QVERIFY(std::abs(cy - (s.BaseY - RoundHalfEven(s.CrystalPixel.y))) <= 1);
        QCOMPARE(std::abs(arc.c[2] - arc.c[0]), 4200);
        // Start ray along the beam to the right, end ray up and to the right:
        // counterclockwise on the screen, the short way over the beam axis.
        QCOMPARE(arc.c[5], cy);
        QVERIFY(arc.c[4] > cx);
        QVERIFY(arc.c[6] > cx && arc.c[7] < cy);
        const double endDeg = Deg(std::atan2(cy - arc.c[7], arc.c[6] - cx));
        QVERIFY(std::fabs(endDeg - Deg(g.TwoTheta)) < 0.1);
        // The label sits on the arc, at the middle angle Theta.
        const DrawOp& label = ops[1];
        QCOMPARE(label.text, std::string("2Theta"));
        QCOMPARE(canvas.List().FontOf(label).height, 150);
        const double lx = label.c[0] + 7 * 6 / 2 - cx;
        const double ly = cy - (label.c[1] + 150 / 2);
        QVERIFY(std::fabs(std::hypot(lx, ly) - 2100.0) < 2.0);
        QVERIFY(std::fabs(Deg(std::atan2(ly, lx)) - Deg(g.Theta)) < 0.1);
    }

    void unlabelledArcLeavesFontAndBrush()
    {
        RecordingCanvas canvas(metrics);
        canvas.SetBrushColour(kGreen);
        canvas.SetFontFace("Courier");
        canvas.SetFontHeight(77);
        canvas.SetPenColour(kRed);
        canvas.SetPenWidth(4);
        canvas.SetPenStyle(PenStyle::Dash);
        const Brush brush = canvas.CurrentBrush();
        const Font font = canvas.CurrentFont();
        Primitives(s, canvas).DrawLabelledArc(MakePoint(500, 500), MakePoint(600, 500), MakePoint(500, 600),
                                              100, 20, "");
        QCOMPARE(canvas.List().ops.size(), std::size_t{1});
        QCOMPARE(canvas.List().ops[0].kind, DrawOpKind::Arc);
        QCOMPARE(canvas.List().ops[0].pen, (Pen{kBlack, 1, PenStyle::Solid}));
        QCOMPARE(canvas.CurrentBrush(), brush);
        QCOMPARE(canvas.CurrentFont(), font);
    }
};

QTEST_APPLESS_MAIN(PrimitivesTest)
#include "test_primitives.moc"
