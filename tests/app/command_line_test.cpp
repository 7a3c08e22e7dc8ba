// The program run from the command line, as a worksheet script would: the
// files it writes, and that bad input leaves nothing behind.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "app_test_support.h"
#include "model/crystal_choice.h"
#include "model/sim_state.h"
#include "render/pass_geometry.h"
#include "render/readouts.h"

using namespace kbtest;

namespace {

struct Run {
    int exitCode = -1;
    QString standardError;
};

Run Program(const QStringList& arguments, const QString& locale = QStringLiteral("en_US.UTF-8"))
{
    static const QTemporaryDir runtime;  // private to the user, as the toolkit wants it
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KB_PROGRAM), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QStringList Lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void badInputEndsWithTwoAndWritesNothing_data();
    void badInputEndsWithTwoAndWritesNothing();
    void existingFileSurvivesAFailedExport();
    void valuesOfAFullTurnFollowTheLocale_data();
    void valuesOfAFullTurnFollowTheLocale();
    void fullTurnOfAnotherCrystalListsItsTable();
    void svgKeepsShapesAndTexts();
    void pngIsThePictureTheWindowShows();
    void scaledPngHasTheScaledSize();

private:
    QTemporaryDir dir_;
};

void CommandLineTest::badInputEndsWithTwoAndWritesNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString png = QStringLiteral("OUT/x.png");
    QTest::newRow("unknown option") << QStringList{"--bogus", "--export", png};
    QTest::newRow("experiment 15") << QStringList{"--experiment", "15", "--export", png};
    QTest::newRow("experiment abc") << QStringList{"--experiment", "abc", "--export", png};
    QTest::newRow("size 0x0") << QStringList{"--size", "0x0", "--export", png};
    QTest::newRow("size 12") << QStringList{"--size", "12", "--export", png};
    QTest::newRow("size below the minimum") << QStringList{"--size", "300x300", "--export", png};
    QTest::newRow("unknown extension") << QStringList{"--export", "OUT/x.xyz"};
    QTest::newRow("values not csv") << QStringList{"--export-values", "OUT/x.txt"};
    QTest::newRow("negative turn") << QStringList{"--turn", "-5", "--export", png};
    QTest::newRow("non-numeric turn") << QStringList{"--turn", "abc", "--export", png};
    QTest::newRow("folder missing") << QStringList{"--export", "OUT/missing/x.png", "--export-values",
                                                   "OUT/x.csv"};
    QTest::newRow("a folder in the way") << QStringList{"--export", "OUT/folder.png"};
    QTest::newRow("lattice out of range") << QStringList{"--lattice", "50,300,90", "--export", png};
    QTest::newRow("more than 400 reflections")
        << QStringList{"--lattice", "500,500,90", "--wavelength", "70.93", "--export", png};
    QTest::newRow("lesson for the standard crystal")
        << QStringList{"--lattice", "300,300,90", "--experiment", "3", "--export", png};
    QTest::newRow("wavelength not a number") << QStringList{"--wavelength", "Cu", "--export", png};
    QTest::newRow("scale 9") << QStringList{"--scale", "9", "--export", png};
    QTest::newRow("scale 2.5") << QStringList{"--scale", "2.5", "--export", png};
    QTest::newRow("scale past the largest picture")
        << QStringList{"--size", "4000x3000", "--scale", "5", "--export", png};
}

void CommandLineTest::badInputEndsWithTwoAndWritesNothing()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir out;
    QVERIFY(QDir(out.path()).mkdir(QStringLiteral("folder.png")));
    arguments.replaceInStrings(QStringLiteral("OUT"), out.path());
    const Run run = Program(arguments);
    QCOMPARE(run.exitCode, 2);
    const QStringList said = run.standardError.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(said.size() == 1 && said.first().startsWith(QLatin1String("kristallbeugung: ")),
             qPrintable(run.standardError));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void CommandLineTest::existingFileSurvivesAFailedExport()
{
    const QString picture = dir_.filePath(QStringLiteral("kept.png"));
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old picture");
    file.close();
    // The picture itself could be written, but the table cannot: neither is.
    const Run run = Program({"--experiment", "8", "--export", picture, "--export-values",
                             dir_.filePath(QStringLiteral("missing/values.csv"))});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old picture"));
}

void CommandLineTest::valuesOfAFullTurnFollowTheLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("German") << QStringLiteral("de_DE.UTF-8") << QStringLiteral(";") << QStringLiteral(",");
    QTest::newRow("English") << QStringLiteral("en_US.UTF-8") << QStringLiteral(",") << QStringLiteral(".");
}

void CommandLineTest::valuesOfAFullTurnFollowTheLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    QFETCH(QString, decimal);
    const QString values = dir_.filePath(QStringLiteral("values-%1.csv").arg(locale));
    const Run run = Program({"--experiment", "0", "--turn", "360", "--export-values", values}, locale);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = Lines(values);
    QCOMPARE(lines.first(),
             QStringList({"h", "k", "n", "Theta (°)", "2Theta (°)", "d (pm)", "Omega (°)"}).join(separator));

    kb::SimState s;
    kb::InitConstantsAndTable(s);
    QCOMPARE(lines.size() - 1, s.ReflexCount);
    QStringList expected;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const kb::Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        const double twoTheta =
            kb::Single(static_cast<double>(kb::Single(2.0 * r.Theta)) * kb::kRadToDegExact);
        expected << QStringLiteral("%1 %2 %3")
                        .arg(r.H)
                        .arg(r.K)
                        .arg(QString::fromStdString(kb::FormatFixed(twoTheta, 3, decimal.toStdString())));
    }
    QStringList listed;
    double previous = -1.0;
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(separator);
        QCOMPARE(fields.size(), 7);
        listed << fields[0] + QLatin1Char(' ') + fields[1] + QLatin1Char(' ') + fields[4];
        const double twoTheta = QString(fields[4]).replace(decimal, QStringLiteral(".")).toDouble();
        QVERIFY(twoTheta >= previous);  // ordered by 2Theta
        previous = twoTheta;
    }
    expected.sort();
    listed.sort();
    QCOMPARE(listed, expected);
}

void CommandLineTest::fullTurnOfAnotherCrystalListsItsTable()
{
    const QString values = dir_.filePath(QStringLiteral("square.csv"));
    QCOMPARE(
        Program({"--lattice", "300,300,90", "--experiment", "0", "--turn", "360", "--export-values", values})
            .exitCode,
        0);
    kb::SimState s;
    QVERIFY(kb::ChangeCrystal(s, {300.0f, 300.0f, 90.0f, kb::kLambdaPm}).accepted);
    kb::InitConstantsAndTable(s);
    QStringList expected;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const kb::Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        expected << QStringLiteral("%1,%2").arg(r.H).arg(r.K);
    }
    QStringList listed;
    for (const QString& line : Lines(values).mid(1)) {
        listed << line.section(QLatin1Char(','), 0, 1);
    }
    expected.sort();
    listed.sort();
    QCOMPARE(listed, expected);
}

void CommandLineTest::svgKeepsShapesAndTexts()
{
    const QString svg = dir_.filePath(QStringLiteral("experiment-8.svg"));
    QCOMPARE(Program({"--experiment", "8", "--export", svg}).exitCode, 0);
    QVERIFY(QSvgRenderer(svg).isValid());
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QMap<QString, int> elements;
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            ++elements[xml.name().toString()];
            if (xml.name() == QLatin1String("text")) {
                texts << xml.readElementText().trimmed();
            }
        }
    }
    QVERIFY(!xml.hasError());
    QCOMPARE(elements.value(QStringLiteral("image")), 0);
    QVERIFY(elements.value(QStringLiteral("circle")) + elements.value(QStringLiteral("ellipse")) >= 63);
    QVERIFY(elements.value(QStringLiteral("polyline")) + elements.value(QStringLiteral("path")) > 10);
    QVERIFY2(texts.contains(QStringLiteral("1 0")), qPrintable(texts.join(QLatin1Char('|'))));
}

void CommandLineTest::pngIsThePictureTheWindowShows()
{
    const QString png = dir_.filePath(QStringLiteral("experiment-8.png"));
    QCOMPARE(Program({"--experiment", "8", "--size", "700x520", "--export", png}).exitCode, 0);
    const QImage written(png);
    QCOMPARE(written.size(), QSize(700, 520));

    kb::TForm1 form;
    form.SetViewSize(QSize(700, 520));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit2->setText(QStringLiteral("8"));
    form.Button9Click();
    QCOMPARE(form.drawingArea_->size(), QSize(700, 520));
    const QImage shown = OwnPicture(form);
    QCOMPARE(written.convertToFormat(QImage::Format_RGB32), shown.convertToFormat(QImage::Format_RGB32));
}

// A poster: four times the pixels each way.
void CommandLineTest::scaledPngHasTheScaledSize()
{
    const QString png = dir_.filePath(QStringLiteral("poster.png"));
    QCOMPARE(Program({"--experiment", "0", "--size", "1200x800", "--scale", "4", "--export", png}).exitCode,
             0);
    QCOMPARE(QImage(png).size(), QSize(4800, 3200));
}

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
