#include <QElapsedTimer>
#include <QTest>
#include <cmath>
#include <numbers>
#include <set>
#include <string>

#include "model/crystal_choice.h"
#include "model/unknown_crystal.h"

using namespace kb;

Q_DECLARE_METATYPE(kb::LabLevel)
Q_DECLARE_METATYPE(kb::CrystalParams)

namespace {

constexpr auto kRect = LabLevel::Rectangular;
constexpr auto kOblique = LabLevel::Oblique;

// The rules a student's crystal must keep, restated from the lab's
// description rather than taken from the generator.
QString BrokenRule(const CrystalParams& c, LabLevel level)
{
    const CrystalCheck check = CheckCrystal(c);
    if (!check.accepted || check.reflexCount > kMaxReflexCount) {
        return QStringLiteral("refused or too many reflections");
    }
    if (c.LatticeA > c.LatticeB) {
        return QStringLiteral("a > b");
    }
    if (level == kRect && c.GammaDeg != 90.0f) {
        return QStringLiteral("not rectangular");
    }
    if (level == kOblique) {
        const double cosGamma = std::cos(c.GammaDeg * std::numbers::pi / 180.0);
        if (c.GammaDeg <= 90.0f || c.GammaDeg > 120.0f ||
            c.LatticeB * std::fabs(cosGamma) > c.LatticeA / 2.0 + 1e-4) {
            return QStringLiteral("oblique cell not reduced");
        }
    }
    for (const float value : {c.LatticeA, c.LatticeB, c.GammaDeg}) {
        if (static_cast<float>(std::round(value * 10.0) / 10.0) != value) {
            return QStringLiteral("off the grid of tenths");
        }
    }
    if (c.Lambda != kLambdaPm) {
        return QStringLiteral("not Cu K-alpha-1");
    }
    const std::vector<double> peaks = DistinctPeaks(c);
    if (peaks.size() < 10 || peaks[9] >= 150.0) {
        return QStringLiteral("fewer than ten peaks below 150 degrees");
    }
    for (std::size_t i = 1; i < 10; ++i) {
        if (peaks[i] - peaks[i - 1] < 0.9) {
            return QStringLiteral("two of the first ten peaks closer than 0.9 degrees");
        }
    }
    return {};
}

bool FarApart(float x, float y, float share)
{
    return std::fabs(x - y) >= share * std::max(x, y) - 1e-3f;
}

}  // namespace

class UnknownCrystalTest : public QObject {
    Q_OBJECT

private slots:
    void codeAndSeatGiveAFixedCrystal_data();
    void codeAndSeatGiveAFixedCrystal();
    void everySeatIsSolvableAndUnlikeTheOneBefore();
    void solvabilityRefusesEachBrokenRule_data();
    void solvabilityRefusesEachBrokenRule();
    void typedCodesAreNormalised_data();
    void typedCodesAreNormalised();
    void newCodesAreValidAndVaried();
    void teacherKeyBelongsToItsCode();
    void solutionTableListsEverySeat();
};

void UnknownCrystalTest::codeAndSeatGiveAFixedCrystal_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("seat");
    QTest::addColumn<LabLevel>("level");
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("b");
    QTest::addColumn<float>("gamma");
    QTest::newRow("K7MX4P 1 rect") << "K7MX4P" << 1 << kRect << 396.5f << 538.6f << 90.0f;
    QTest::newRow("K7MX4P 2 rect") << "K7MX4P" << 2 << kRect << 550.1f << 588.7f << 90.0f;
    QTest::newRow("K7MX4P 40 rect") << "K7MX4P" << 40 << kRect << 321.8f << 390.2f << 90.0f;
    QTest::newRow("K7MX4P 1 oblique") << "K7MX4P" << 1 << kOblique << 366.4f << 399.4f << 111.0f;
    QTest::newRow("K7MX4P 2 oblique") << "K7MX4P" << 2 << kOblique << 265.5f << 274.2f << 93.7f;
    QTest::newRow("K7MX4P 40 oblique") << "K7MX4P" << 40 << kOblique << 343.1f << 368.8f << 114.4f;
    QTest::newRow("ACEFHK 17 rect") << "ACEFHK" << 17 << kRect << 401.0f << 545.9f << 90.0f;
    QTest::newRow("ACEFHK 17 oblique") << "ACEFHK" << 17 << kOblique << 278.8f << 479.2f << 100.2f;
    QTest::newRow("typed k7m-x4p") << "k7m-x4p" << 1 << kOblique << 366.4f << 399.4f << 111.0f;
}

void UnknownCrystalTest::codeAndSeatGiveAFixedCrystal()
{
    QFETCH(QString, code);
    QFETCH(int, seat);
    QFETCH(LabLevel, level);
    QFETCH(float, a);
    QFETCH(float, b);
    QFETCH(float, gamma);
    const CrystalParams crystal = UnknownCrystal(code.toStdString(), seat, level);
    QCOMPARE(crystal, (CrystalParams{a, b, gamma, kLabLambdaPm}));
    QCOMPARE(SeatCrystals(code.toStdString(), level).at(static_cast<std::size_t>(seat - 1)).crystal, crystal);
}

void UnknownCrystalTest::everySeatIsSolvableAndUnlikeTheOneBefore()
{
    constexpr int kCodes = 250;
    QElapsedTimer clock;
    clock.start();
    long candidates[2] = {0, 0};
    int crystals = 0;
    for (int i = 0; i < kCodes; ++i) {
        const std::string code = NewClassCode(static_cast<std::uint64_t>(i));
        for (const LabLevel level : {kRect, kOblique}) {
            const std::vector<SeatCrystal> seats = SeatCrystals(code, level);
            QCOMPARE(static_cast<int>(seats.size()), kLabLastSeat);
            for (std::size_t s = 0; s < seats.size(); ++s) {
                const CrystalParams& c = seats[s].crystal;
                const QString where = QStringLiteral("%1 seat %2 level %3: %4 %5 %6")
                                          .arg(QString::fromStdString(code))
                                          .arg(s + 1)
                                          .arg(static_cast<int>(level))
                                          .arg(c.LatticeA)
                                          .arg(c.LatticeB)
                                          .arg(c.GammaDeg);
                const QString broken = BrokenRule(c, level);
                QVERIFY2(broken.isEmpty(), qPrintable(where + QStringLiteral(": ") + broken));
                QVERIFY2(IsSolvableLabCrystal(c, level), qPrintable(where));
                if (s > 0) {
                    const CrystalParams& before = seats[s - 1].crystal;
                    QVERIFY2(FarApart(c.LatticeA, before.LatticeA, 0.05f) ||
                                 FarApart(c.LatticeB, before.LatticeB, 0.05f) ||
                                 std::fabs(c.GammaDeg - before.GammaDeg) >= 5.0f - 1e-3f,
                             qPrintable(where));
                }
                candidates[static_cast<int>(level)] += seats[s].candidates;
                ++crystals;
            }
        }
    }
    const double perLevel = crystals / 2.0;
    qInfo("%d crystals in %lld ms; candidates per crystal: rectangular %.2f, oblique %.2f", crystals,
          static_cast<long long>(clock.elapsed()), candidates[0] / perLevel, candidates[1] / perLevel);
    // A generator that rejects almost everything would stall the lab's start.
    QVERIFY(candidates[0] / perLevel < 10.0);
    QVERIFY(candidates[1] / perLevel < 20.0);
}

void UnknownCrystalTest::solvabilityRefusesEachBrokenRule_data()
{
    QTest::addColumn<CrystalParams>("crystal");
    QTest::addColumn<LabLevel>("level");
    QTest::addColumn<bool>("solvable");
    QTest::newRow("a drawn cell") << CrystalParams{396.5f, 538.6f, 90.0f, kLabLambdaPm} << kRect << true;
    QTest::newRow("a > b") << CrystalParams{538.6f, 396.5f, 90.0f, kLabLambdaPm} << kRect << false;
    QTest::newRow("oblique as rectangular")
        << CrystalParams{366.4f, 399.4f, 111.0f, kLabLambdaPm} << kRect << false;
    QTest::newRow("an oblique cell") << CrystalParams{366.4f, 399.4f, 111.0f, kLabLambdaPm} << kOblique
                                     << true;
    QTest::newRow("acute angle") << CrystalParams{366.4f, 399.4f, 69.0f, kLabLambdaPm} << kOblique << false;
    QTest::newRow("b shadow beyond a/2")
        << CrystalParams{300.0f, 640.0f, 118.0f, kLabLambdaPm} << kOblique << false;
    QTest::newRow("two close low peaks")
        << CrystalParams{400.0f, 402.0f, 90.0f, kLabLambdaPm} << kRect << false;
    QTest::newRow("too few peaks") << CrystalParams{200.0f, 210.0f, 90.0f, kLabLambdaPm} << kRect << false;
    QTest::newRow("too many reflections")
        << CrystalParams{900.0f, 950.0f, 90.0f, kLabLambdaPm} << kRect << false;
}

void UnknownCrystalTest::solvabilityRefusesEachBrokenRule()
{
    QFETCH(CrystalParams, crystal);
    QFETCH(LabLevel, level);
    QFETCH(bool, solvable);
    QCOMPARE(IsSolvableLabCrystal(crystal, level), solvable);
    QCOMPARE(BrokenRule(crystal, level).isEmpty(), solvable);
}

void UnknownCrystalTest::typedCodesAreNormalised_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");  // empty: refused
    QTest::newRow("as printed") << "K7MX4P"
                                << "K7MX4P";
    QTest::newRow("lower case") << "k7mx4p"
                                << "K7MX4P";
    QTest::newRow("spaces") << " K7M X4P "
                            << "K7MX4P";
    QTest::newRow("hyphen") << "k7m-x4p"
                            << "K7MX4P";
    QTest::newRow("letter O") << "K7MX4O"
                              << "";
    QTest::newRow("digit 0") << "K7MX40"
                             << "";
    QTest::newRow("digit 1") << "K7MX1P"
                             << "";
    QTest::newRow("letter I") << "K7MXIP"
                              << "";
    QTest::newRow("letter S") << "K7MXSP"
                              << "";
    QTest::newRow("umlaut") << "K7MXÄP"
                            << "";
    QTest::newRow("too short") << "K7MX4"
                               << "";
    QTest::newRow("too long") << "K7MX4PP"
                              << "";
    QTest::newRow("empty") << ""
                           << "";
}

void UnknownCrystalTest::typedCodesAreNormalised()
{
    QFETCH(QString, typed);
    QFETCH(QString, code);
    const std::optional<std::string> normal = NormaliseClassCode(typed.toStdString());
    QCOMPARE(normal.has_value(), !code.isEmpty());
    if (normal) {
        QCOMPARE(QString::fromStdString(*normal), code);
    }
}

void UnknownCrystalTest::newCodesAreValidAndVaried()
{
    std::set<std::string> codes;
    for (std::uint64_t entropy = 0; entropy < 1000; ++entropy) {
        const std::string code = NewClassCode(entropy);
        QCOMPARE(NormaliseClassCode(code), std::optional<std::string>(code));
        codes.insert(code);
    }
    QCOMPARE(codes.size(), std::size_t{1000});
}

void UnknownCrystalTest::teacherKeyBelongsToItsCode()
{
    const std::string code = "K7MX4P";
    const std::string key = TeacherKey(code);
    QCOMPARE(NormaliseClassCode(key), std::optional<std::string>(key));
    QVERIFY(key != code);
    QVERIFY(IsTeacherKey(code, key));
    QVERIFY(IsTeacherKey("k7m-x4p", " " + key.substr(0, 3) + "-" + key.substr(3) + " "));
    QVERIFY(!IsTeacherKey(code, code));
    QVERIFY(!IsTeacherKey(code, ""));
    QVERIFY(!IsTeacherKey("K7MX4", key));
    for (std::uint64_t entropy = 0; entropy < 200; ++entropy) {
        const std::string other = NewClassCode(entropy);
        if (other != code) {
            QVERIFY2(!IsTeacherKey(code, TeacherKey(other)), other.c_str());
            QVERIFY2(!IsTeacherKey(other, key), other.c_str());
        }
    }
}

void UnknownCrystalTest::solutionTableListsEverySeat()
{
    const QString table = QString::fromStdString(SolutionTable("k7m-x4p", ","));
    const QStringList lines = table.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.first().contains(QStringLiteral("K7MX4P")));
    const int rect = lines.indexOf(QStringLiteral("rechtwinklig"));
    const int oblique = lines.indexOf(QStringLiteral("schiefwinklig"));
    QVERIFY(rect > 0 && oblique == rect + kLabLastSeat + 1 && lines.size() == oblique + kLabLastSeat + 1);
    // Checked by hand: 2Theta = 2 asin(lambda / 2d) for (0 1), (1 0), (1 1), (0 2), (1 2).
    QCOMPARE(lines[rect + 1],
             QStringLiteral("Platz 1: a = 396,5 pm, b = 538,6 pm, γ = 90,0°; 2Θ = 16,44° 22,40° "
                            "27,92° 33,24° 40,46°"));
    QVERIFY(lines[oblique + 1].startsWith(
        QStringLiteral("Platz 1: a = 366,4 pm, b = 399,4 pm, γ = 111,0°; 2Θ = ")));
    QVERIFY(
        lines[oblique + 40].startsWith(QStringLiteral("Platz 40: a = 343,1 pm, b = 368,8 pm, γ = 114,4°;")));
    QVERIFY(QString::fromStdString(SolutionTable("K7MX4P", "."))
                .contains(QStringLiteral("Platz 1: a = 396.5 pm, b = 538.6 pm, γ = 90.0°; 2Θ = 16.44° ")));
}

QTEST_APPLESS_MAIN(UnknownCrystalTest)
#include "test_unknown_crystal.moc"
