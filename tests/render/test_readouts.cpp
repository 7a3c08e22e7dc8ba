#include <QTest>
#include <memory>

#include "render/readouts.h"
#include "render_support.h"

using namespace kb;
using namespace kb::test;

class ReadoutsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SceneRig> rig;

private slots:
    void init()
    {
        rig = std::make_unique<SceneRig>();
        rig->s.ShowReadouts = true;
        rig->input.omegaBoxTop = 0;
    }

    void formatFixed_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("half rounds up") << 2.5 << 0 << "."
                                        << "3";
        QTest::newRow("half rounds away from zero") << -2.5 << 0 << "."
                                                    << "-3";
        QTest::newRow("on the decimal digits") << 0.25 << 1 << "."
                                               << "0.3";
        QTest::newRow("0.05 as written") << 0.05 << 1 << "."
                                         << "0.1";
        QTest::newRow("no minus on zero") << -0.04 << 1 << "."
                                          << "0.0";
        QTest::newRow("German separator") << 12.34 << 1 << ","
                                          << "12,3";
        QTest::newRow("carry into a new digit") << 99.96 << 1 << "."
                                                << "100.0";
    }

    void formatFixed()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(FormatFixed(value, decimals, separator.toStdString())), text);
    }

    void reflexReadouts_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("reflex");
        QTest::addColumn<QStringList>("lines");  // a line ending in "..." is checked as a prefix
        QTest::newRow("(1 0 0)") << 1 << 0 << "Reflex 1 0 0 (= 1. Ordnung von 1 0 0)"
                                 << QStringList{"Theta = 16.0°, 2Theta = 31.9°", "d(100) = 280.1 pm",
                                                "n * Lambda/d * VF = 605 Pixel", "(VF = 1100 Pixel)"};
        QTest::newRow("(2 0 0)") << 2 << 0 << "Reflex 2 0 0 (= 2. Ordnung von 1 0 0)"
                                 << QStringList{"Theta = 33.4°, 2Theta = 66.7°", "d(100) = 280.1 pm",
                                                "fiktiv: d(200) = 140.0 pm", "n * Lambda/d * VF = 1210 Pixel",
                                                "(VF = 1100 Pixel)"};
        QTest::newRow("(3 -3 0)") << 3 << -3 << "Reflex 3 -3 0 (= 3. Ordnung von 1 -1 0)"
                                  << QStringList{"Theta = ...", "d(1-10) = ...", "fiktiv: d(3-30) = ...",
                                                 "n * Lambda/d * VF = ...", "(VF = 1100 Pixel)"};
    }

    void reflexReadouts()
    {
        QFETCH(int, h);
        QFETCH(int, k);
        QFETCH(QString, reflex);
        QFETCH(QStringList, lines);
        rig->Activate(h, k);
        const Readouts r = rig->Pass();
        QVERIFY(r.reflexVisible);
        QCOMPARE(QString::fromStdString(r.reflexText), reflex);
        QVERIFY(r.listVisible);
        QCOMPARE(static_cast<qsizetype>(r.listLines.size()), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString got = QString::fromStdString(r.listLines[static_cast<std::size_t>(i)]);
            const QString want = lines[i];
            if (want.endsWith("...")) {
                QVERIFY2(got.startsWith(want.chopped(3)), qPrintable(got));
            } else {
                QCOMPARE(got, want);
            }
        }
    }

    void noReflexInBraggPosition()
    {
        const Readouts r = rig->Pass();
        QVERIFY(r.reflexVisible);
        QCOMPARE(r.reflexText, std::string("Bragg-Bedingung nicht erfüllt"));
        QVERIFY(!r.reflexPlaced);  // keeps the place of the last reflex
        QVERIFY(!r.listVisible);
        QVERIFY(r.listLines.empty());
    }

    void readoutsSwitchedOff()
    {
        rig->s.ShowReadouts = false;
        rig->Activate(1, 0);
        rig->s.Omega = static_cast<float>(12.34 * std::numbers::pi / 180.0);
        rig->input.decimalSeparator = ",";
        const Readouts r = rig->Pass();
        QCOMPARE(r.omegaText, std::string("Omega = 12,3°"));
        QVERIFY(!r.reflexVisible);
        QVERIFY(!r.listVisible);
    }

    void boxesScaleWithTheWindow()
    {
        rig->input.viewWidthPx = 463;
        rig->input.viewHeightPx = 480;
        rig->input.omegaBoxTop = 4;
        rig->Activate(1, 0);
        const Readouts r = rig->Pass();
        QCOMPARE(r.fontHeight, 11);
        QCOMPARE(r.omegaWidth, 69);
        QCOMPARE(r.omegaHeight, 15);
        QVERIFY(r.reflexPlaced);
        QCOMPARE(r.reflexGeometry.left, r.omegaWidth);
        QCOMPARE(r.reflexGeometry.top, 4);
        QCOMPARE(r.reflexGeometry.width, 160);
        QCOMPARE(r.listGeometry.top, 4);
        QCOMPARE(r.listGeometry.left + r.listGeometry.width, 463 - 10);
        QCOMPARE(r.listGeometry.width, 131);
    }
};

QTEST_APPLESS_MAIN(ReadoutsTest)
#include "test_readouts.moc"
