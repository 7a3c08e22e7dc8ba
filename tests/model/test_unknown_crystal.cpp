#include <QElapsedTimer>
#include <QTest>
#include <cmath>

#include "model/unknown_crystal.h"

using namespace kb;

Q_DECLARE_METATYPE(kb::LabLevel)
Q_DECLARE_METATYPE(kb::CrystalParams)

namespace {

constexpr auto kRect = LabLevel::Rectangular;
constexpr auto kOblique = LabLevel::Oblique;

bool OnTenths(float value)
{
    return static_cast<float>(std::round(value * 10.0) / 10.0) == value;
}

bool FarApart(float x, float y)
{
    return std::fabs(x - y) >= 0.05f * std::max(x, y) - 1e-3f;
}

}  // namespace

class UnknownCrystalTest : public QObject {
    Q_OBJECT

private slots:
    void codeAndSeatGiveAFixedCrystal_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("seat");
        QTest::addColumn<LabLevel>("level");
        QTest::addColumn<CrystalParams>("crystal");
        const float l = kLabLambdaPm;
        QTest::newRow("K7MX4P 1") << "K7MX4P" << 1 << kRect << CrystalParams{396.5f, 538.6f, 90.0f, l};
        QTest::newRow("K7MX4P 2") << "K7MX4P" << 2 << kRect << CrystalParams{550.1f, 588.7f, 90.0f, l};
        QTest::newRow("K7MX4P 40") << "K7MX4P" << 40 << kRect << CrystalParams{321.8f, 390.2f, 90.0f, l};
        QTest::newRow("K7MX4P 1 oblique")
            << "K7MX4P" << 1 << kOblique << CrystalParams{366.4f, 399.4f, 111.0f, l};
        QTest::newRow("K7MX4P 2 oblique")
            << "K7MX4P" << 2 << kOblique << CrystalParams{265.5f, 274.2f, 93.7f, l};
        QTest::newRow("ACEFHK 17 oblique")
            << "ACEFHK" << 17 << kOblique << CrystalParams{278.8f, 479.2f, 100.2f, l};
        QTest::newRow("typed k7m-x4p")
            << "k7m-x4p" << 1 << kOblique << CrystalParams{366.4f, 399.4f, 111.0f, l};
    }

    void codeAndSeatGiveAFixedCrystal()
    {
        QFETCH(QString, code);
        QFETCH(int, seat);
        QFETCH(LabLevel, level);
        QFETCH(CrystalParams, crystal);
        QCOMPARE(UnknownCrystal(code.toStdString(), seat, level), crystal);
        QCOMPARE(SeatCrystals(code.toStdString(), level).at(static_cast<std::size_t>(seat - 1)).crystal,
                 crystal);
    }

    // 250 codes by 40 seats on both levels: each crystal keeps the lab's rules,
    // lies on the grid of tenths and is no copy of the seat before.
    void everySeatIsSolvableAndUnlikeTheOneBefore()
    {
        QElapsedTimer clock;
        clock.start();
        long candidates[2] = {0, 0};
        for (std::uint64_t entropy = 0; entropy < 250; ++entropy) {
            const std::string code = NewClassCode(entropy);
            for (const LabLevel level : {kRect, kOblique}) {
                const std::vector<SeatCrystal> seats = SeatCrystals(code, level);
                QCOMPARE(static_cast<int>(seats.size()), kLabLastSeat);
                for (std::size_t s = 0; s < seats.size(); ++s) {
                    const CrystalParams& c = seats[s].crystal;
                    const QByteArray where = QStringLiteral("%1 seat %2: %3 %4 %5")
                                                 .arg(QString::fromStdString(code))
                                                 .arg(s + 1)
                                                 .arg(c.LatticeA)
                                                 .arg(c.LatticeB)
                                                 .arg(c.GammaDeg)
                                                 .toUtf8();
                    QVERIFY2(IsSolvableLabCrystal(c, level), where.constData());
                    QVERIFY2(OnTenths(c.LatticeA) && OnTenths(c.LatticeB) && OnTenths(c.GammaDeg),
                             where.constData());
                    QVERIFY2(s == 0 || FarApart(c.LatticeA, seats[s - 1].crystal.LatticeA) ||
                                 FarApart(c.LatticeB, seats[s - 1].crystal.LatticeB) ||
                                 std::fabs(c.GammaDeg - seats[s - 1].crystal.GammaDeg) >= 5.0f - 1e-3f,
                             where.constData());
                    candidates[static_cast<int>(level)] += seats[s].candidates;
                }
            }
        }
        const double perLevel = 250.0 * kLabLastSeat;
        qInfo("20000 crystals in %lld ms; candidates per crystal: rectangular %.2f, oblique %.2f",
              static_cast<long long>(clock.elapsed()), candidates[0] / perLevel, candidates[1] / perLevel);
        // A generator that rejected almost everything would stall the lab's start.
        QVERIFY(candidates[0] / perLevel < 10.0 && candidates[1] / perLevel < 20.0);
    }

    void eachRuleRefusesOnItsOwn_data()
    {
        QTest::addColumn<CrystalParams>("crystal");
        QTest::addColumn<LabLevel>("level");
        QTest::addColumn<bool>("solvable");
        const float l = kLabLambdaPm;
        QTest::newRow("drawn") << CrystalParams{396.5f, 538.6f, 90.0f, l} << kRect << true;
        QTest::newRow("a > b") << CrystalParams{538.6f, 396.5f, 90.0f, l} << kRect << false;
        QTest::newRow("oblique as rectangular") << CrystalParams{366.4f, 399.4f, 111.0f, l} << kRect << false;
        QTest::newRow("drawn oblique") << CrystalParams{366.4f, 399.4f, 111.0f, l} << kOblique << true;
        QTest::newRow("acute") << CrystalParams{366.4f, 399.4f, 69.0f, l} << kOblique << false;
        QTest::newRow("b's shadow beyond a/2")
            << CrystalParams{300.0f, 640.0f, 118.0f, l} << kOblique << false;
        QTest::newRow("(1 0) and (0 1) 0.1 apart")
            << CrystalParams{400.0f, 402.0f, 90.0f, l} << kRect << false;
        QTest::newRow("seven peaks") << CrystalParams{200.0f, 210.0f, 90.0f, l} << kRect << false;
        QTest::newRow("tenth peak at 164.8") << CrystalParams{200.0f, 253.0f, 90.0f, l} << kRect << false;
        QTest::newRow("over 400 reflections") << CrystalParams{900.0f, 950.0f, 90.0f, l} << kRect << false;
    }

    void eachRuleRefusesOnItsOwn()
    {
        QFETCH(CrystalParams, crystal);
        QFETCH(LabLevel, level);
        QFETCH(bool, solvable);
        QCOMPARE(IsSolvableLabCrystal(crystal, level), solvable);
    }

    void typedCodesAreNormalised_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");  // empty: refused
        QTest::newRow("as printed") << "K7MX4P"
                                    << "K7MX4P";
        QTest::newRow("lower case, spaces") << " k7m x4p "
                                            << "K7MX4P";
        QTest::newRow("hyphen") << "k7m-x4p"
                                << "K7MX4P";
        for (const char* confusable : {"K7MX4O", "K7MX40", "K7MX1P", "K7MXIP", "K7MXSP", "K7MXÄP"}) {
            QTest::newRow(confusable) << confusable << "";
        }
        QTest::newRow("too short") << "K7MX4"
                                   << "";
        QTest::newRow("too long") << "K7MX4PP"
                                  << "";
    }

    void typedCodesAreNormalised()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        const std::optional<std::string> normal = NormaliseClassCode(typed.toStdString());
        QCOMPARE(QString::fromStdString(normal.value_or("")), code);
    }

    void teacherKeyBelongsToItsCode()
    {
        const std::string code = "K7MX4P";
        const std::string key = TeacherKey(code);
        QVERIFY(key != code);
        QVERIFY(IsTeacherKey(code, key));
        QVERIFY(IsTeacherKey("k7m-x4p", " " + key.substr(0, 3) + "-" + key.substr(3) + " "));
        QVERIFY(!IsTeacherKey(code, code));
        QVERIFY(!IsTeacherKey("K7MX4", key));
        for (std::uint64_t entropy = 0; entropy < 200; ++entropy) {
            const std::string other = NewClassCode(entropy);
            QCOMPARE(NormaliseClassCode(other), std::optional<std::string>(other));
            QCOMPARE(NormaliseClassCode(TeacherKey(other)), std::optional<std::string>(TeacherKey(other)));
            QVERIFY2(!IsTeacherKey(code, TeacherKey(other)) && !IsTeacherKey(other, key), other.c_str());
        }
    }
};

QTEST_APPLESS_MAIN(UnknownCrystalTest)
#include "test_unknown_crystal.moc"
