// The lab on a panel of plain data: what it shows of the unknown crystal (its
// measurement only), the measuring cursor, the check of a guess and the way
// back to the standard lessons.

#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <functional>
#include <numbers>

#include "lesson/crystal_caption.h"
#include "lesson/session.h"
#include "model/peak_match.h"
#include "recording_panel.h"
#include "render/measured_values.h"

using kb::Control;

namespace {

using kb::FakeMetrics;

const kb::LabChoice kChoice{"k7mx-4p", 12, kb::LabLevel::Oblique};

struct Rig {
    kb::RecordingPanel panel;
    FakeMetrics metrics;
    kb::Session session{panel, metrics};

    Rig() { session.FormActivate(); }

    // The crystal turned once all round, `eachPass` after every tick.
    void TurnOnce(const std::function<void()>& eachPass = {})
    {
        session.Button3Click();
        for (int tick = 0; tick < 4 * 3600 && !kb::MeasurementComplete(session.State()); ++tick) {
            session.Timer1Timer();
            if (eachPass) {
                eachPass();
            }
        }
        session.Button3Click();
    }

    QStringList PictureTexts() const
    {
        QStringList texts;
        for (const kb::DrawOp& op : session.LatestPass().ops) {
            if (op.kind == kb::DrawOpKind::Text) {
                texts << QString::fromStdString(op.text);
            }
        }
        return texts;
    }

    void Guess(const char* a, const char* b, const char* gamma)
    {
        panel.texts[Control::Edit5] = a;
        panel.texts[Control::Edit6] = b;
        panel.texts[Control::Edit7] = gamma;
        session.Button11Click();
    }
};

// What would give the crystal away: indices, a spacing, the crystal's values.
QString Leak(const QString& text, const kb::CrystalParams& crystal)
{
    static const QRegularExpression indices(QStringLiteral("Reflex -?\\d|d\\(|Ordnung|fiktiv|d = "));
    if (text.contains(indices)) {
        return text;
    }
    for (const float value : {crystal.LatticeA, crystal.LatticeB, crystal.GammaDeg}) {
        const QString number = QString::fromStdString(kb::CrystalCaptionNumber(value, ","));
        if (text.contains(number + QStringLiteral(" pm")) || text.contains(QStringLiteral("γ = ") + number)) {
            return text;
        }
    }
    return {};
}

// The expected reading, computed here from the wavelength.
QString Reading(double twoThetaDeg)
{
    const double dn = kb::kLabLambdaPm / (2.0 * std::sin(twoThetaDeg / 2.0 * std::numbers::pi / 180.0));
    return QStringLiteral("2Θ = %1°, d/n = %2 pm")
        .arg(QString::number(twoThetaDeg, 'f', 2), QString::number(dn, 'f', 1))
        .replace(QLatin1Char('.'), QLatin1Char(','));
}

bool SameOps(const kb::DrawList& a, const kb::DrawList& b)
{
    if (a.ops.size() != b.ops.size() || a.points != b.points) {
        return false;
    }
    for (std::size_t i = 0; i < a.ops.size(); ++i) {
        const kb::DrawOp& x = a.ops[i];
        const kb::DrawOp& y = b.ops[i];
        if (x.kind != y.kind || !std::equal(std::begin(x.c), std::end(x.c), std::begin(y.c)) ||
            x.pen != y.pen || x.brush != y.brush || x.text != y.text || a.FontOf(x) != b.FontOf(y)) {
            return false;
        }
    }
    return true;
}

}  // namespace

class LabTest : public QObject {
    Q_OBJECT

private slots:
    void panelRevealsNothing_data();
    void panelRevealsNothing();
    void cursorReads_data();
    void cursorReads();
    void scaleTicksOnlyWhenOn();
    void peakSnapsToEachReflection_data() { panelRevealsNothing_data(); }
    void peakSnapsToEachReflection();
    void guessesUntilSolved();
    void lessonAfterTheLabIsTheStandard();
};

void LabTest::panelRevealsNothing_data()
{
    QTest::addColumn<int>("level");
    QTest::newRow("rechtwinklig") << static_cast<int>(kb::LabLevel::Rectangular);
    QTest::newRow("schiefwinklig") << static_cast<int>(kb::LabLevel::Oblique);
}

void LabTest::panelRevealsNothing()
{
    QFETCH(int, level);
    Rig rig;
    kb::LabChoice choice = kChoice;
    choice.level = static_cast<kb::LabLevel>(level);
    rig.session.StartLab(choice);
    const kb::CrystalParams crystal = rig.session.State().Crystal;
    QCOMPARE(crystal, kb::UnknownCrystal("K7MX4P", 12, choice.level));
    QCOMPARE(QString::fromStdString(rig.panel.caption),
             QStringLiteral("Unbekannter Kristall (Code K7MX4P, Platz 12)"));
    QVERIFY(rig.panel.Shown(Control::GroupBox8));
    for (const Control hidden :
         {Control::GroupBox3, Control::GroupBox4, Control::Button6, Control::RadioGroup1}) {
        QVERIFY2(!rig.panel.Shown(hidden), kb::ControlName(hidden));
    }
    QVERIFY(rig.panel.IsChecked(Control::CheckBox2) && rig.panel.IsChecked(Control::CheckBox4));
    QVERIFY(rig.session.MeasureScale());

    // A full turn with the cursor set and a guess shown: every text of every pass.
    rig.session.MoveCursor(30.0);
    rig.Guess("300", "400", "100");
    int reflexPasses = 0;
    const auto check = [&] {
        QStringList texts = rig.PictureTexts();
        texts << QString::fromStdString(rig.panel.caption)
              << QString::fromStdString(rig.session.SceneDescription());
        for (const auto& [box, text] : rig.panel.readouts) {
            texts << QString::fromStdString(text);
        }
        for (const QString& text : texts) {
            const QString leak = Leak(text, crystal);
            QVERIFY2(leak.isEmpty(), qPrintable(leak));
        }
        if (rig.session.State().ActiveReflex >= 0) {
            ++reflexPasses;
            QCOMPARE(QString::fromStdString(rig.panel.readouts[Control::Edit4]),
                     QStringLiteral("Reflex in Bragg-Stellung"));
        }
    };
    rig.TurnOnce(check);
    QVERIFY(kb::MeasurementComplete(rig.session.State()));
    QVERIFY(reflexPasses > 0);
    QVERIFY(rig.panel.readouts[Control::ListBox1].starts_with(rig.session.CursorReading()));

    // The saved curve: the two columns of an instrument, nothing else.
    const QStringList lines =
        QString::fromStdString(kb::DiffractogramTable(rig.session.State(), ",")).split('\n');
    QCOMPARE(lines.front(), QStringLiteral("2Theta (°);Intensität"));
    QCOMPARE(lines.size(), 1 + kb::kDiffractogramBins + 1);  // and the last line's end
    for (const QString& line : lines) {
        QVERIFY2(Leak(line, crystal).isEmpty() && line.count(';') <= 1, qPrintable(line));
    }
}

void LabTest::cursorReads_data()
{
    QTest::addColumn<double>("pointerDeg");  // where the pointer presses
    QTest::addColumn<int>("steps");          // then arrow steps of 0.05 degrees
    QTest::addColumn<int>("bigSteps");       // and of a degree
    QTest::newRow("low angle") << 21.7 << 0 << 0;
    QTest::newRow("right angle, stepped") << 90.0 << 3 << -2;
    QTest::newRow("back reflection, to the end") << 170.0 << 1 << 30;
}

void LabTest::cursorReads()
{
    QFETCH(double, pointerDeg);
    QFETCH(int, steps);
    QFETCH(int, bigSteps);
    Rig rig;
    rig.session.StartLab(kChoice);
    const kb::PlotFrame frame = kb::DiffractogramFrame(rig.session.State());
    const int x = static_cast<int>(std::lround(frame.zeroX + pointerDeg * frame.pxPerDeg));
    QVERIFY(!rig.session.PointerAt(x, frame.bandTop - 1));  // above the curve's band
    QVERIFY(!rig.session.CursorDeg());
    QVERIFY(rig.session.PointerAt(x, frame.axisY - 1));
    // The pointer lands on the arrows' grid, within half a pixel of where it pressed.
    const double pressed = (x - frame.zeroX) / frame.pxPerDeg;
    QVERIFY(std::fabs(*rig.session.CursorDeg() - pressed) <= kb::kCursorStepDeg / 2 + 1e-9);
    for (int i = 0; i < std::abs(steps); ++i) {
        rig.session.MoveCursor(steps > 0 ? kb::kCursorStepDeg : -kb::kCursorStepDeg);
    }
    for (int i = 0; i < std::abs(bigSteps); ++i) {
        rig.session.MoveCursor(bigSteps > 0 ? kb::kCursorBigStepDeg : -kb::kCursorBigStepDeg);
    }
    const double expected =
        std::min(180.0, std::round(pressed / kb::kCursorStepDeg) * kb::kCursorStepDeg +
                            steps * kb::kCursorStepDeg + bigSteps * kb::kCursorBigStepDeg);
    QCOMPARE(QString::number(*rig.session.CursorDeg(), 'f', 2), QString::number(expected, 'f', 2));
    const QString reading = Reading(expected);
    QCOMPARE(QString::fromStdString(rig.session.CursorReading()), reading);
    QCOMPARE(QString::fromStdString(rig.panel.readouts[Control::ListBox1]), reading);
    QVERIFY(rig.PictureTexts().contains(reading));
    QVERIFY(QString::fromStdString(rig.session.SceneDescription()).endsWith(reading + '.'));
}

void LabTest::scaleTicksOnlyWhenOn()
{
    Rig rig;
    rig.panel.edit2 = "13";  // a lesson that shows the diffractogram
    rig.session.Button9Click();
    rig.TurnOnce();
    // Two passes without a new peak: the second starts from the settings the
    // first leaves, as the passes after the scale do.
    rig.session.DisplayControlClick();
    rig.session.DisplayControlClick();
    const kb::DrawList before = rig.session.LatestPass();
    const QStringList labels = {"30°", "60°", "90°", "120°", "150°"};
    const auto tickLabels = [&] {
        int count = 0;
        for (const QString& text : rig.PictureTexts()) {
            count += labels.contains(text) ? 1 : 0;
        }
        return count;
    };
    QCOMPARE(tickLabels(), 0);
    rig.session.SetMeasureScale(true);
    QCOMPARE(tickLabels(), labels.size());
    // A tick every 10 degrees from 10 to 170, rising from the axis, the
    // labelled ones longer.
    const kb::SimState& state = rig.session.State();
    const kb::PlotFrame frame = kb::DiffractogramFrame(state);
    for (int deg = 10; deg <= 170; deg += 10) {
        const int x = kb::RoundHalfEven(frame.pxPerDeg * deg + frame.zeroX);
        const int length = kb::RoundHalfEven((deg % 30 == 0 ? 110.0 : 50.0) * state.ViewScale);
        const auto& ops = rig.session.LatestPass().ops;
        QVERIFY2(std::any_of(ops.begin(), ops.end(),
                             [&](const kb::DrawOp& op) {
                                 return op.kind == kb::DrawOpKind::Line && op.c[0] == x && op.c[2] == x &&
                                        op.c[1] == frame.axisY && op.c[3] == frame.axisY - length;
                             }),
                 qPrintable(QString::number(deg)));
    }
    rig.session.SetMeasureScale(false);
    QVERIFY(SameOps(rig.session.LatestPass(), before));
}

// "Spitze" finds the peaks a student indexes, the first ten, each within half
// a bin, also where two of them merge into one broad top of the curve.
void LabTest::peakSnapsToEachReflection()
{
    QFETCH(int, level);
    Rig rig;
    rig.session.StartLab({kChoice.code, kChoice.seat, static_cast<kb::LabLevel>(level)});
    rig.TurnOnce();
    const std::vector<double> peaks = kb::MeasuredPeaks(rig.session.State());
    QVERIFY(peaks.size() >= 10);
    for (std::size_t i = 0; i < 10; ++i) {
        rig.session.MoveCursor(peaks[i] - rig.session.CursorDeg().value_or(0.0));
        rig.session.Button10Click();
        QVERIFY2(std::fabs(*rig.session.CursorDeg() - peaks[i]) <= kb::kBinWidthDeg / 2 + 0.01,
                 qPrintable(QStringLiteral("%1 for %2").arg(*rig.session.CursorDeg()).arg(peaks[i])));
    }
}

void LabTest::guessesUntilSolved()
{
    Rig rig;
    rig.session.StartLab(kChoice);
    const kb::CrystalParams truth = rig.session.State().Crystal;
    const auto typed = [](float value) { return kb::CrystalCaptionNumber(value, ","); };
    const std::string a = typed(truth.LatticeA);
    const std::string b = typed(truth.LatticeB);
    const std::string gamma = typed(truth.GammaDeg);

    // Not a crystal: the dialog's range message, and no guess counted.
    rig.Guess("abc", b.c_str(), "200");
    QCOMPARE(QString::fromStdString(rig.panel.messages.back()),
             QStringLiteral("a muss zwischen 100 und 1000 pm liegen.\nγ muss zwischen 60° und 150° liegen."));
    QCOMPARE(rig.session.GuessCount(), 0);

    // The truth before a full turn explains what is measured, but is no solution yet.
    rig.session.Timer1Timer();
    rig.Guess(a.c_str(), b.c_str(), gamma.c_str());
    QVERIFY2(
        rig.session.Verdict().ends_with(" – Messung noch nicht vollständig: den Kristall einmal ganz drehen"),
        rig.session.Verdict().c_str());

    rig.TurnOnce();
    const int measured = static_cast<int>(kb::MeasuredPeaks(rig.session.State()).size());
    rig.Guess(typed(truth.LatticeA + 25.0f).c_str(), b.c_str(), gamma.c_str());
    QVERIFY2(
        QString::fromStdString(rig.session.Verdict())
            .contains(QRegularExpression(QStringLiteral("^\\d+ von %1 gemessenen Spitzen erklärt, "
                                                        "(keine vorhergesagte fehlt|1 vorhergesagte fehlt|"
                                                        "\\d+ vorhergesagte fehlen)$")
                                             .arg(measured))),
        rig.session.Verdict().c_str());
    // The marks of the guess: violet, under the axis, one per predicted peak on the plot.
    int marks = 0;
    for (const kb::DrawOp& op : rig.session.LatestPass().ops) {
        marks += op.kind == kb::DrawOpKind::Line && op.pen.colour == 0x8000C0;
    }
    const std::vector<double> predicted =
        kb::DistinctPeaks({truth.LatticeA + 25.0f, truth.LatticeB, truth.GammaDeg, kb::kLabLambdaPm});
    QCOMPARE(marks, static_cast<int>(predicted.size()));

    rig.Guess(a.c_str(), b.c_str(), gamma.c_str());
    QCOMPARE(QString::fromStdString(rig.session.Verdict()), QStringLiteral("Gelöst nach 3 Vermutungen"));
    QCOMPARE(QString::fromStdString(rig.panel.readouts[Control::ListBox1]),
             QStringLiteral("Gelöst nach 3 Vermutungen"));
}

void LabTest::lessonAfterTheLabIsTheStandard()
{
    Rig fresh;
    fresh.panel.edit2 = "14";
    fresh.session.Button9Click();

    Rig rig;
    rig.session.StartLab(kChoice);
    rig.TurnOnce();
    rig.session.Button10Click();
    rig.Guess("300", "400", "100");
    rig.panel.edit2 = "14";
    rig.session.Button9Click();

    QVERIFY(!rig.session.InLab());
    QVERIFY(!rig.session.MeasureScale());
    QVERIFY(!rig.panel.Shown(Control::GroupBox8));
    QCOMPARE(rig.session.State().Crystal, kb::kStandardCrystal);
    QCOMPARE(rig.panel.caption, fresh.panel.caption);
    QCOMPARE(rig.panel.checked, fresh.panel.checked);
    QCOMPARE(rig.panel.radio, fresh.panel.radio);
    for (int i = 0; i < kb::kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        QVERIFY2(rig.panel.Shown(control) == fresh.panel.Shown(control), kb::ControlName(control));
    }
    QCOMPARE(rig.panel.readouts, fresh.panel.readouts);
    QCOMPARE(rig.session.SceneDescription(), fresh.session.SceneDescription());
    QVERIFY(SameOps(rig.session.LatestPass(), fresh.session.LatestPass()));
}

QTEST_GUILESS_MAIN(LabTest)
#include "test_lab.moc"
