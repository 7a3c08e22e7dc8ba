// The values table against a computation of its own: the reciprocal vector
// of each (h k 0) in Cartesian coordinates, in double precision.

#include <QStringList>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <tuple>
#include <vector>

#include "model/sim_state.h"
#include "render/measured_values.h"

using namespace kb;

namespace {

constexpr double kPi = std::numbers::pi;

struct Vector {
    double x, y;
};

// h a* + k b* with a along +x and b at gamma from it: b* along +y, a* at gamma - 90 degrees.
Vector Reciprocal(double a, double b, double gamma, double h, double k)
{
    return {h / a, (k / b - h * std::cos(gamma) / a) / std::sin(gamma)};
}

}  // namespace

class MeasuredValuesTest : public QObject {
    Q_OBJECT

private slots:
    void tableOfAFullTurn_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("gammaDeg");
        QTest::addColumn<double>("lambda");
        QTest::newRow("standard") << 300.0 << 390.0 << 111.0 << 154.051;
        QTest::newRow("hexagonal, 150 pm") << 300.0 << 300.0 << 120.0 << 150.0;
        QTest::newRow("square, ties in 2Theta") << 300.0 << 300.0 << 90.0 << 154.051;
        QTest::newRow("backscatter 1000/1000/90, 500 pm") << 1000.0 << 1000.0 << 90.0 << 500.0;
        QTest::newRow("backscatter 100/100/150, 50 pm") << 100.0 << 100.0 << 150.0 << 50.0;
        QTest::newRow("oblique 317.3/229.9/71.5, 98.7 pm") << 317.3 << 229.9 << 71.5 << 98.7;
    }

    // Every reflection recorded: the file lists each reachable (h k 0) once,
    // with n lambda = 2 d sin(Theta), ordered by the printed 2Theta, then h, then k.
    void tableOfAFullTurn()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(double, gammaDeg);
        QFETCH(double, lambda);
        SimState s;
        s.Crystal = {static_cast<float>(a), static_cast<float>(b), static_cast<float>(gammaDeg),
                     static_cast<float>(lambda)};
        InitConstantsAndTable(s);
        for (Reflex& r : s.ReflexTable) {
            r.PeakRecorded = true;
        }

        const double gamma = gammaDeg * kPi / 180.0;
        std::vector<std::tuple<QString, int, int, QString>> expected;
        for (int h = -60; h <= 60; ++h) {
            for (int k = -60; k <= 60; ++k) {
                const Vector g = Reciprocal(a, b, gamma, h, k);
                double sinTheta = lambda * std::hypot(g.x, g.y) / 2.0;
                if ((h == 0 && k == 0) || sinTheta > 1.0 + 1e-9) {
                    continue;
                }
                if (std::fabs(sinTheta - 1.0) <= 1e-9) {
                    sinTheta = 1.0;
                }
                const int n = std::gcd(h, k);
                const Vector plane = Reciprocal(a, b, gamma, h / n, k / n);
                const double d = 1.0 / std::hypot(plane.x, plane.y);
                const double theta = std::asin(sinTheta);
                const double thetaDeg = theta / kPi * 180.0;
                // From +b* towards a*, the sense the crystal turns in.
                double omegaDeg = std::fmod((std::atan2(g.x, g.y) + theta) / kPi * 180.0 + 720.0, 360.0);
                QString omega = QString::number(omegaDeg, 'f', 3);
                if (omega == QLatin1String("0.000")) {
                    omega = QStringLiteral("360.000");
                }
                const QString twoTheta = QString::number(2.0 * thetaDeg, 'f', 3);
                const QString spacing = QString::number(d, 'f', 1);
                const QString row = QStringList{QString::number(h),
                                                QString::number(k),
                                                QString::number(n),
                                                QString::number(thetaDeg, 'f', 3),
                                                twoTheta,
                                                spacing,
                                                QString::number(lambda / (2.0 * sinTheta), 'f', 1),
                                                omega}
                                        .join(QLatin1Char(','));
                expected.emplace_back(twoTheta, h, k, row);
                // What the printed d stands for.
                QVERIFY(std::fabs(n * lambda - 2.0 * spacing.toDouble() * sinTheta) <=
                        0.05 * 2.0 * sinTheta + 1e-9);
            }
        }
        std::sort(expected.begin(), expected.end(), [](const auto& p, const auto& q) {
            const double twoP = std::get<0>(p).toDouble();
            const double twoQ = std::get<0>(q).toDouble();
            return std::tie(twoP, std::get<1>(p), std::get<2>(p)) <
                   std::tie(twoQ, std::get<1>(q), std::get<2>(q));
        });
        QStringList lines{QStringLiteral("h,k,n,Theta (°),2Theta (°),d (pm),d/n (pm),Omega (°)")};
        for (const auto& row : expected) {
            lines << std::get<3>(row);
        }
        const QStringList written =
            QString::fromStdString(MeasuredValuesTable(s, ".")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(written.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QCOMPARE(written[i], lines[i]);
        }
    }
};

QTEST_APPLESS_MAIN(MeasuredValuesTest)
#include "test_measured_values.moc"
