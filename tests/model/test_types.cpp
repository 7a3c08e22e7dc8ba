// Rounding of model coordinates to whole screen pixels.

#include <QTest>
#include <cmath>
#include <limits>

#include "model/types.h"

using kb::RoundHalfEven;

class TypesTest : public QObject {
    Q_OBJECT

private slots:
    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5 to 0") << 0.5 << 0;
        QTest::newRow("1.5 to 2") << 1.5 << 2;
        QTest::newRow("2.5 to 2") << 2.5 << 2;
        QTest::newRow("-0.5 to 0") << -0.5 << 0;
        QTest::newRow("-1.5 to -2") << -1.5 << -2;
        QTest::newRow("-2.5 to -2") << -2.5 << -2;
        QTest::newRow("just below a tie") << std::nextafter(2.5, 0.0) << 2;
        QTest::newRow("just above a tie") << std::nextafter(2.5, 3.0) << 3;
        QTest::newRow("just below a negative tie") << std::nextafter(-2.5, -3.0) << -3;
        QTest::newRow("0.49999999999999994") << 0.49999999999999994 << 0;
        QTest::newRow("whole") << 417.0 << 417;
        QTest::newRow("large tie") << 1073741822.5 << 1073741822;
        QTest::newRow("beyond 2^30, tie") << 1500000000.5 << 1500000000;
        QTest::newRow("beyond 2^30, odd tie") << 1500000001.5 << 1500000002;
        QTest::newRow("largest int") << 2147483647.0 << std::numeric_limits<int>::max();
        QTest::newRow("beyond int saturates") << 1e12 << std::numeric_limits<int>::max();
        QTest::newRow("below int saturates") << -1e12 << std::numeric_limits<int>::min();
        QTest::newRow("infinity") << HUGE_VAL << std::numeric_limits<int>::max();
        QTest::newRow("NaN") << std::nan("") << 0;
    }

    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(RoundHalfEven(value), expected);
    }
};

QTEST_APPLESS_MAIN(TypesTest)
#include "test_types.moc"
