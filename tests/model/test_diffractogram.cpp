#include <QTest>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "model/diffractogram.h"
#include "model_support.h"

using namespace kb;
using namespace kb::test;

namespace {

// 2Theta in degrees as the scene pass hands it over.
float TwoThetaDeg(const Reflex& r)
{
    return static_cast<float>(2.0 * r.Theta * 57.29577951308232);
}

double Total(const SimState& s)
{
    return std::accumulate(s.Diffractogram.begin(), s.Diffractogram.end(), 0.0);
}

int NonZeroBins(const SimState& s)
{
    return static_cast<int>(
        std::count_if(s.Diffractogram.begin(), s.Diffractogram.end(), [](float v) { return v != 0.0f; }));
}

}  // namespace

class DiffractogramTest : public QObject {
    Q_OBJECT

private:
    SimState s;

    PeakRange AddPeakOf(int h, int k)
    {
        s.ActiveReflex = IndexOf(s, h, k);
        return AddActivePeak(s, TwoThetaDeg(At(s, s.ActiveReflex)));
    }

private slots:
    void init()
    {
        s = SimState{};
        InitModel(s);
    }

    void onePeakOnTheBinGrid()
    {
        const float t = TwoThetaDeg(At(s, s.Reflex10Index));
        const PeakRange range = AddPeakOf(1, 0);
        QVERIFY(At(s, s.Reflex10Index).PeakRecorded);
        QCOMPARE(range.end - range.first, 15);
        QCOMPARE(NonZeroBins(s), 15);
        for (int i = 0; i < kDiffractogramBins; ++i) {
            const bool inside = i >= range.first && i < range.end;
            QCOMPARE(s.Diffractogram[static_cast<std::size_t>(i)] != 0.0f, inside);
        }
        // Maximum in the middle bin, within half a bin of t; symmetric; unit area within three sigma.
        const int middle = range.first + 7;
        QVERIFY(std::fabs(0.3 * middle - t) <= 0.15);
        const auto bin = [&](int i) { return s.Diffractogram[static_cast<std::size_t>(i)]; };
        QVERIFY(std::fabs(bin(middle) - 0.56991756) < 1e-6);
        for (int j = 0; j < 7; ++j) {
            QVERIFY(std::fabs(bin(range.first + j) - bin(range.end - 1 - j)) < 1e-6);
            QVERIFY(bin(range.first + j) < bin(range.first + j + 1));
        }
        QVERIFY(std::fabs(Total(s) * 0.3 - 0.9973) < 0.005);
    }

    void oppositeReflectionsDoubleTheHeight()
    {
        const PeakRange one = AddPeakOf(1, 0);
        const auto single = s.Diffractogram;
        const PeakRange two = AddPeakOf(-1, 0);
        QCOMPARE(two.first, one.first);
        for (int i = 0; i < kDiffractogramBins; ++i) {
            QVERIFY(std::fabs(s.Diffractogram[static_cast<std::size_t>(i)] -
                              2 * single[static_cast<std::size_t>(i)]) < 1e-6);
        }
        const float top = *std::max_element(s.Diffractogram.begin(), s.Diffractogram.end());
        QVERIFY(std::fabs(top * 600.0 - 684.0) < 1.0);  // world units above the zero line
    }
};

QTEST_APPLESS_MAIN(DiffractogramTest)
#include "test_diffractogram.moc"
