#include <QTest>
#include <cmath>
#include <memory>
#include <numeric>

#include "render_support.h"

using namespace kb;
using namespace kb::test;

namespace {

bool IsCurve(const DrawOp& op)
{
    return op.pen == Pen{kBlack, 1, PenStyle::Solid};
}
bool IsNewPeak(const DrawOp& op)
{
    return op.pen == Pen{kRed, 3, PenStyle::Solid};
}

int NonZeroBins(const SimState& s)
{
    return static_cast<int>(
        std::count_if(s.Diffractogram.begin(), s.Diffractogram.end(), [](float v) { return v != 0.0f; }));
}

}  // namespace

class DiffractogramPlotTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SceneRig> rig;

private slots:
    void init()
    {
        rig = std::make_unique<SceneRig>();
        rig->input.flags.DiffractogramShown = true;
    }

    void emptyCurveAndLabels()
    {
        rig->Pass();
        const int zero = rig->s.BaseY - 300;
        const auto curve = rig->Ops(DrawOpKind::Line, IsCurve);
        QCOMPARE(curve.size(), std::size_t{601});
        for (const DrawOp* op : curve) {
            QCOMPARE(op->c[1], zero);
            QCOMPARE(op->c[3], zero);
        }
        QCOMPARE(curve.front()->c[0], 318);               // 317.5, ties to even
        QCOMPARE(curve.back()->c[2], 6042);               // bin 601 at 180.3 degrees
        QVERIFY(std::abs(curve[600]->c[0] - 6032) <= 1);  // 180 degrees at 6032.5, the angle summed in single
        const auto labels = rig->Ops(DrawOpKind::Text);
        QCOMPARE(labels.size(), std::size_t{3});
        const QList<std::string> texts{"0°", "2 Theta", "180°"};
        const QList<int> xs{268, 3015, 5942};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(labels[static_cast<std::size_t>(i)]->text, texts[i]);
            QCOMPARE(labels[static_cast<std::size_t>(i)]->c[0], xs[i]);
            QCOMPARE(labels[static_cast<std::size_t>(i)]->c[1], zero);
            QCOMPARE(labels[static_cast<std::size_t>(i)]->brush.style, BrushStyle::Clear);
            QCOMPARE(rig->List().FontOf(*labels[static_cast<std::size_t>(i)]).height, 120);
        }
    }

    void newPeakOverlayOnlyInTheAddingPass()
    {
        rig->Activate(1, 0);
        rig->Pass();
        const auto overlay = rig->Ops(DrawOpKind::Line, IsNewPeak);
        QCOMPARE(overlay.size(), std::size_t{15});
        int top = rig->s.BaseY;
        for (const DrawOp* op : overlay) {
            top = std::min({top, op->c[1], op->c[3]});
        }
        // The overlay is centred on the exact 2Theta, sampled on the bin grid: its highest
        // sample lies within half a bin of the centre.
        const int overlayHeight = rig->s.BaseY - 300 - top;
        QVERIFY2(overlayHeight >= 333 && overlayHeight <= 342, qPrintable(QString::number(overlayHeight)));
        const auto bins = rig->s.Diffractogram;
        QCOMPARE(NonZeroBins(rig->s), 15);
        for (int pass = 0; pass < 3; ++pass) {
            rig->Pass();
            QCOMPARE(rig->Ops(DrawOpKind::Line, IsNewPeak).size(), std::size_t{0});
            QVERIFY(rig->s.Diffractogram == bins);
        }
        // The accumulated curve has its maximum on the grid: about 342 world units up.
        int curveTop = rig->s.BaseY;
        for (const DrawOp* op : rig->Ops(DrawOpKind::Line, IsCurve)) {
            curveTop = std::min(curveTop, op->c[1]);
        }
        QVERIFY(std::abs(rig->s.BaseY - 300 - curveTop - 342) <= 1);
        // A clear while the reflection stands in Bragg position records it again at once.
        ClearDiffractogramData(rig->s);
        QVERIFY(!At(rig->s, rig->s.ActiveReflex).PeakRecorded);
        QVERIFY(IsEwaldMarkSet(At(rig->s, rig->s.ActiveReflex).EwaldMark));  // marks are not cleared
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Line, IsNewPeak).size(), std::size_t{15});
        QVERIFY(rig->s.Diffractogram == bins);
    }

    void peaksAtTheEnds_data()
    {
        QTest::addColumn<double>("thetaDeg");
        QTest::addColumn<int>("overlaySegments");
        QTest::addColumn<int>("keptBins");
        QTest::newRow("first bin below 0: no overlay") << 0.5 << 0 << 11;
        QTest::newRow("past 180 degrees: overlay in full") << 89.5 << 15 << 12;
    }

    void peaksAtTheEnds()
    {
        QFETCH(double, thetaDeg);
        rig->Activate(1, 0);
        rig->s.ReflexTable[static_cast<std::size_t>(rig->s.ActiveReflex)].Theta =
            static_cast<float>(thetaDeg * std::numbers::pi / 180.0);
        rig->Pass();
        const auto overlay = rig->Ops(DrawOpKind::Line, IsNewPeak);
        QTEST(static_cast<int>(overlay.size()), "overlaySegments");
        QTEST(NonZeroBins(rig->s), "keptBins");
        if (!overlay.empty()) {
            QVERIFY(overlay.back()->c[2] > 6032);
        }
    }

    void hiddenCurveStillFills()
    {
        rig->input.flags.DiffractogramShown = false;
        int ticks = 0;
        const auto allRecorded = [&] {
            for (int i = 0; i < rig->s.ReflexCount; ++i) {
                if (!At(rig->s, i).PeakRecorded) {
                    return false;
                }
            }
            return true;
        };
        while (!allRecorded() && ticks < 3000) {
            RotationStep(rig->s);
            rig->Pass();
            AdvanceSweepIfPassed(rig->s);
            ++ticks;
        }
        QVERIFY(allRecorded());
        QCOMPARE(rig->Ops(DrawOpKind::Line).size(), std::size_t{0});
        // 56 peaks of unit area, none cut at the ends.
        const double area =
            0.3 * std::accumulate(rig->s.Diffractogram.begin(), rig->s.Diffractogram.end(), 0.0);
        QVERIFY2(std::fabs(area - 56 * 0.9973) < 0.3, qPrintable(QString::number(area)));

        rig->input.flags.DiffractogramShown = true;
        rig->s.ActiveReflex = -1;
        rig->Pass();
        QCOMPARE(rig->Ops(DrawOpKind::Line, IsNewPeak).size(), std::size_t{0});
        const int zero = rig->s.BaseY - 300;
        const auto raised =
            rig->Ops(DrawOpKind::Line, [&](const DrawOp& op) { return IsCurve(op) && op.c[1] < zero; });
        QVERIFY(raised.size() > 100);
    }
};

QTEST_APPLESS_MAIN(DiffractogramPlotTest)
#include "test_diffractogram_plot.moc"
