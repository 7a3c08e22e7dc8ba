// The values table where the crystal as typed puts a value exactly halfway
// between two printed numbers: the tie goes away from zero, whatever noise the
// double computation leaves in the last place.

#include <QTest>
#include <algorithm>
#include <string>

#include "model/crystal_choice.h"
#include "model/sim_state.h"
#include "render/measured_values.h"

using namespace kb;

namespace {

enum Column { kH = 0, kK = 1, kPlaneSpacing = 5, kFictiveSpacing = 6 };

}  // namespace

class MeasuredValuesTest : public QObject {
    Q_OBJECT

private slots:
    void tiesGoAwayFromZero_data();
    void tiesGoAwayFromZero();
};

void MeasuredValuesTest::tiesGoAwayFromZero_data()
{
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("b");
    QTest::addColumn<float>("lambda");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("printed");

    // d/n of (2 0) is 931.1 / 2 = 465.55.
    QTest::newRow("(2 0) d/n") << 931.1f << 324.2f << 134.351f << 2 << 0 << int(kFictiveSpacing) << "465.6";
    // Every order of (0 1) lies on the planes 400.25 pm apart.
    for (int k = 1; k <= 5; ++k) {
        QTest::addRow("(0 %d) d", k) << 300.05f << 400.25f << kLambdaPm << 0 << k << int(kPlaneSpacing)
                                     << "400.3";
    }
    for (int h = 1; h <= 3; ++h) {
        QTest::addRow("(%d 0) d", h) << 300.05f << 400.25f << kLambdaPm << h << 0 << int(kPlaneSpacing)
                                     << "300.1";
    }
}

void MeasuredValuesTest::tiesGoAwayFromZero()
{
    QFETCH(float, a);
    QFETCH(float, b);
    QFETCH(float, lambda);
    QFETCH(int, h);
    QFETCH(int, k);
    QFETCH(int, column);
    QFETCH(QString, printed);

    SimState s;
    QVERIFY(ChangeCrystal(s, CrystalParams{a, b, 90.0f, lambda}).accepted);
    for (Reflex& r : s.ReflexTable) {
        r.PeakRecorded = true;
    }
    const std::vector<MeasuredRow> rows = MeasuredValues(s);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const MeasuredRow& r) { return r[kH] == h && r[kK] == k; });
    QVERIFY(row != rows.end());
    QCOMPARE((*row)[static_cast<std::size_t>(column)], printed.toDouble());

    // The text prints that number, in the row of (h k).
    const std::string table = MeasuredValuesTable(s, ".");
    const std::string line = std::to_string(h) + "," + std::to_string(k) + ",";
    const std::size_t start = table.find("\n" + line);
    QVERIFY(start != std::string::npos);
    const QStringList fields =
        QString::fromStdString(table.substr(start + 1, table.find('\n', start + 1) - start - 1)).split(',');
    QCOMPARE(fields.value(column), printed);
}

QTEST_APPLESS_MAIN(MeasuredValuesTest)
#include "test_measured_values.moc"
