// The program run from the command line, as a worksheet script would: the
// files it writes, and that bad input leaves nothing behind.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <numbers>
#include <numeric>
#include <optional>
#include <tuple>
#include <vector>

#include "app/command_line.h"
#include "app_test_support.h"
#include "lesson/state_link.h"
#include "model/sim_state.h"
#include "render/measured_values.h"

using namespace kbtest;

namespace {

struct Run {
    int exitCode = -1;
    QString standardError;
    QString standardOutput;
};

// The program, or `wrapper` running it with the arguments after its own.
Run Program(const QStringList& arguments, const QString& locale = QStringLiteral("en_US.UTF-8"),
            const QStringList& wrapper = {})
{
    static const QTemporaryDir runtime;  // private to the user, as the toolkit wants it
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    process.setProcessEnvironment(env);
    if (wrapper.isEmpty()) {
        process.start(QStringLiteral(KB_PROGRAM), arguments);
    } else {
        process.start(wrapper.first(), wrapper.mid(1) << QStringLiteral(KB_PROGRAM) << arguments);
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError()),
            QString::fromLocal8Bit(process.readAllStandardOutput())};
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

// Whether the C library has `locale`: without it a program runs with the C
// library's defaults and a locale fault stays hidden.
bool HasCLocale(const QString& locale)
{
    const locale_t loaded = ::newlocale(LC_ALL_MASK, locale.toLatin1().constData(), locale_t{});
    if (loaded != locale_t{}) {
        ::freelocale(loaded);
    }
    return loaded != locale_t{};
}

// A number as the file formats write it: digits, a point, an exponent.
std::optional<double> CNumber(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    double value = 0.0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    if (bytes.isEmpty() || error != std::errc() || end != bytes.constData() + bytes.size()) {
        return std::nullopt;
    }
    return value;
}

// The numbers of a sheet's XML: the values of its number cells in order;
// `faults` gathers values and attributes that look numeric but are no number.
QList<double> SheetNumbers(const QString& sheet, QStringList& faults)
{
    static const QRegularExpression looksNumeric(QStringLiteral("^[-+]?[0-9][0-9.,eE+-]*$"));
    QList<double> numbers;
    QXmlStreamReader xml(sheet);
    bool sharedString = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        for (const QXmlStreamAttribute& attribute : xml.attributes()) {
            const QString value = attribute.value().toString();
            if (looksNumeric.match(value).hasMatch() && !CNumber(value)) {
                faults << attribute.name().toString() + QLatin1Char('=') + value;
            }
        }
        if (xml.name() == QLatin1String("c")) {
            sharedString = xml.attributes().value(QLatin1String("t")) == QLatin1String("s");
        } else if (xml.name() == QLatin1String("v") && !sharedString) {
            const QString value = xml.readElementText();
            if (const std::optional<double> number = CNumber(value)) {
                numbers << *number;
            } else {
                faults << value;
            }
        }
    }
    if (xml.hasError()) {
        faults << xml.errorString();
    }
    return numbers;
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void badInputEndsWithTwoAndWritesNothing_data();
    void badInputEndsWithTwoAndWritesNothing();
    void existingFileSurvivesAFailedExport();
    void refusalNamesTheFault_data();
    void refusalNamesTheFault();
    void helpAllNeedsNoDisplay();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void workbookHoldsNumbers_data();
    void workbookHoldsNumbers();
    void valuesOfAFullTurnFollowTheLocale_data();
    void valuesOfAFullTurnFollowTheLocale();
    void fullTurnListsEveryReflection_data();
    void fullTurnListsEveryReflection();
    void svgKeepsShapesAndTexts();
    void pngIsThePictureTheWindowShows();
    void scaledPngHasTheScaledSize();
    void solutionTableNeedsNoDisplay_data();
    void solutionTableNeedsNoDisplay();
    void stateOptionsSayWhatALinkSays_data();
    void stateOptionsSayWhatALinkSays();
    void omegaAndSpeedReachTheWindow_data();
    void omegaAndSpeedReachTheWindow();

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
    QTest::newRow("omega past a full turn") << QStringList{"--omega", "400", "--export", png};
    QTest::newRow("speed 0") << QStringList{"--speed", "0", "--export", png};
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

void CommandLineTest::refusalNamesTheFault_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("turn lacks its value") << QStringList{"--turn", "--export", "u.png"} << "--turn fehlt";
    QTest::newRow("two pictures") << QStringList{"--export", "a.png", "--export", "b.svg"} << "--export ist";
    QTest::newRow("two tables") << QStringList{"--export-values", "a.csv", "--export-values", "b.xlsx"}
                                << "--export-values ist mehrfach";
}

void CommandLineTest::refusalNamesTheFault()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    const Run run = Program(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.standardError.count(QLatin1Char('\n')) == 1 && run.standardError.contains(reason),
             qPrintable(run.standardError));
}

void CommandLineTest::helpAllNeedsNoDisplay()
{
    const Run run = Program({"--help-all"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.standardOutput.contains(QLatin1String("--export-values")));
}

void CommandLineTest::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("temporaryFilesThere");  // TMPDIR on the full disk too
    QTest::addColumn<QStringList>("arguments");
    for (const char* picture : {"bild.png", "bild.svg", "bild.pdf"}) {
        QTest::newRow(picture) << QString::fromLatin1(picture) << false
                               << QStringList{"--experiment", "8", "--export"};
    }
    const QStringList values{"--experiment", "0", "--turn", "360", "--export-values"};
    for (const char* table : {"werte.csv", "werte.xlsx"}) {
        QTest::newRow(table) << QString::fromLatin1(table) << false << values;
    }
    QTest::newRow("werte.xlsx, temporary files there too") << QStringLiteral("werte.xlsx") << true << values;
}

// A real full disk: a 64 KiB tmpfs in a mount namespace of the test's own,
// filled up after the old file was put there; what is left is listed from
// inside. The one German line is all the user reads, whichever file failed.
void CommandLineTest::fullDiskKeepsTheOldFile()
{
    QFETCH(QString, name);
    QFETCH(bool, temporaryFilesThere);
    QFETCH(QStringList, arguments);
    const QString disk = dir_.filePath(QStringLiteral("disk-") + name);
    QVERIFY(QDir().mkpath(disk));
    const QString target = disk + QLatin1Char('/') + name;
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=64k none \"$1\" && cd \"$1\" || exit 77; printf old > \"$2\"; "
        "dd if=/dev/zero of=fill bs=1k count=100 2>/dev/null; [ \"$3\" = true ] && export TMPDIR=\"$1\"; "
        "shift 3; \"$@\"; echo \"$? $(LC_ALL=C ls -A | tr '\\n' ' ')$(cat werte.* bild.* 2>/dev/null)\"");
    const Run run = Program(
        arguments << target, QStringLiteral("de_DE.UTF-8"),
        {"unshare", "-rm", "sh", "-c", script, "sh", disk, name, temporaryFilesThere ? "true" : "false"});
    if (run.exitCode != 0 || run.standardOutput.isEmpty()) {
        QSKIP("no mount namespace with a small tmpfs here");
    }
    QCOMPARE(run.standardError, QStringLiteral("kristallbeugung: Die Datei „%1“ kann nicht geschrieben "
                                               "werden: kein Platz auf dem Datenträger.\n")
                                    .arg(target));
    // Exit code 2, no temporary file beside the old one, which is as it was.
    QCOMPARE(run.standardOutput.trimmed(),
             QStringLiteral("2 ") + (name < "fill" ? name + " fill " : "fill " + name + ' ') + "old");
}

void CommandLineTest::workbookHoldsNumbers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("German") << QStringLiteral("de_DE.UTF-8");
    QTest::newRow("English") << QStringLiteral("en_US.UTF-8");
}

// The workbook read back as a spreadsheet reads its XML, written under the C
// library of either language: the header frozen, then numbers with a point,
// not texts, exactly those of the table; no attribute such as a column width
// with a decimal comma; the second sheet names crystal and lesson.
void CommandLineTest::workbookHoldsNumbers()
{
    QFETCH(QString, locale);
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) {
        QSKIP("unzip is not installed");
    }
    QVERIFY2(HasCLocale(locale), "the C library lacks the locale; ./kb.sh test generates it");
    const QString book = dir_.filePath(QStringLiteral("werte-%1.xlsx").arg(locale));
    const QString csv = dir_.filePath(QStringLiteral("werte-hexagonal.csv"));
    const QStringList crystal{"--lattice",    "300,300,120", "--wavelength", "150",
                              "--experiment", "0",           "--turn",       "360"};
    QCOMPARE(Program(QStringList(crystal) << "--export-values" << book, locale).exitCode, 0);
    QCOMPARE(Program(QStringList(crystal) << "--export-values" << csv).exitCode, 0);
    const auto member = [&book](const char* path) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {"-p", book, QString::fromLatin1(path)});
        unzip.waitForFinished();
        return QString::fromUtf8(unzip.readAllStandardOutput());
    };
    const QString sheet = member("xl/worksheets/sheet1.xml");
    QVERIFY(sheet.contains(
        QLatin1String("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>")));
    QList<double> expected;
    for (const QString& line : Lines(csv).mid(1)) {
        for (const QString& field : line.split(QLatin1Char(','))) {
            expected << field.toDouble();
        }
    }
    QStringList faults;
    QCOMPARE(SheetNumbers(sheet, faults), expected);
    const QString about = member("xl/worksheets/sheet2.xml");
    QCOMPARE(SheetNumbers(about, faults), (QList<double>{300, 300, 120, 150}));
    QCOMPARE(faults, QStringList());
    const QString strings = member("xl/sharedStrings.xml");
    QVERIFY(strings.contains(QStringLiteral("d/n (pm)")) && strings.contains(QStringLiteral("λ (pm)")) &&
            strings.contains(QStringLiteral("Experiment 0")));
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

    kb::SimState s;
    kb::InitConstantsAndTable(s);
    for (kb::Reflex& r : s.ReflexTable) {
        r.PeakRecorded = true;
    }
    QCOMPARE(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'),
             QString::fromStdString(kb::MeasuredValuesTable(s, decimal.toStdString())));
    QCOMPARE(lines.size() - 1, s.ReflexCount);
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(separator);
        QCOMPARE(fields.size(), 8);
        // A decimal comma stays inside its field for an import that also splits at commas.
        for (const QString& field : fields.mid(3)) {
            QCOMPARE(field.startsWith(QLatin1Char('"')), decimal == QLatin1String(","));
        }
    }
}

void CommandLineTest::fullTurnListsEveryReflection_data()
{
    QTest::addColumn<QStringList>("crystal");  // a, b, gamma, lambda
    QTest::newRow("standard") << QStringList{"300", "390", "111", "154.051"};
    QTest::newRow("square, ties in 2Theta") << QStringList{"300", "300", "90", "154.051"};
    QTest::newRow("oblique") << QStringList{"317.3", "229.9", "71.5", "98.7"};
    // A reflection in the last degree while the window before it is still open.
    QTest::newRow("last degree, standard lattice") << QStringList{"300", "390", "111", "58.69"};
    QTest::newRow("last degree and backscatter, hexagonal") << QStringList{"300", "300", "120", "150"};
    QTest::newRow("backscatter, square") << QStringList{"1000", "1000", "90", "500"};
    QTest::newRow("backscatter, 150 degrees") << QStringList{"100", "100", "150", "50"};
}

// The table of a full turn against the test's own computation: h a* + k b*
// in Cartesian coordinates with b* along +y, a* at gamma - 90 degrees, d from
// the planes (h/n k/n 0), ordered by the printed 2Theta, then h, then k.
void CommandLineTest::fullTurnListsEveryReflection()
{
    QFETCH(QStringList, crystal);
    const QString values = dir_.filePath(QStringLiteral("turn.csv"));
    QCOMPARE(Program({"--lattice", crystal.mid(0, 3).join(QLatin1Char(',')), "--wavelength", crystal[3],
                      "--experiment", "0", "--turn", "360", "--export-values", values})
                 .exitCode,
             0);
    const double a = crystal[0].toDouble(), b = crystal[1].toDouble(), lambda = crystal[3].toDouble();
    const double gamma = crystal[2].toDouble() * std::numbers::pi / 180.0;
    const auto length = [&](int h, int k) {
        return std::hypot(h / a, (k / b - h * std::cos(gamma) / a) / std::sin(gamma));
    };
    std::vector<std::tuple<long long, int, int, QString>> expected;  // 2Theta in m°, h, k, row
    for (int h = -60; h <= 60; ++h) {
        for (int k = -60; k <= 60; ++k) {
            double sinTheta = lambda * length(h, k) / 2.0;
            if ((h == 0 && k == 0) || sinTheta > 1.0 + 1e-9) {
                continue;
            }
            sinTheta = std::fabs(sinTheta - 1.0) <= 1e-9 ? 1.0 : sinTheta;
            const int n = std::gcd(h, k);
            const double d = 1.0 / length(h / n, k / n);
            QVERIFY(std::fabs(n * lambda - 2.0 * d * sinTheta) < 1e-9 * lambda);
            const double thetaDeg = std::asin(sinTheta) * 180.0 / std::numbers::pi;
            // From +b* towards a*, the sense the crystal turns in; printed in (0, 360].
            const double omegaDeg =
                std::fmod(std::atan2(h / a, (k / b - h * std::cos(gamma) / a) / std::sin(gamma)) * 180.0 /
                                  std::numbers::pi +
                              thetaDeg + 720.0,
                          360.0);
            const QString twoTheta = QString::number(2.0 * thetaDeg, 'f', 3);
            const QStringList row{
                QString::number(h),
                QString::number(k),
                QString::number(n),
                QString::number(thetaDeg, 'f', 3),
                twoTheta,
                QString::number(d, 'f', 1),
                QString::number(lambda / (2.0 * sinTheta), 'f', 1),
                omegaDeg < 0.0005 ? QStringLiteral("360.000") : QString::number(omegaDeg, 'f', 3)};
            expected.emplace_back(std::llround(twoTheta.toDouble() * 1000.0), h, k,
                                  row.join(QLatin1Char(',')));
        }
    }
    std::sort(expected.begin(), expected.end());
    QStringList lines{QStringLiteral("h,k,n,Theta (°),2Theta (°),d (pm),d/n (pm),Omega (°)")};
    for (const auto& row : expected) {
        lines << std::get<3>(row);
    }
    QCOMPARE(Lines(values), lines);
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

void CommandLineTest::solutionTableNeedsNoDisplay_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("seatOne");  // empty: the code is refused
    // 2 asin(lambda / 2d) of (0 1), (1 0), (1 1), (0 2), (1 2), worked out by hand.
    QTest::newRow("German")
        << "K7MX4P"
        << "de_DE.UTF-8"
        << "Platz 1: a = 396,5 pm, b = 538,6 pm, γ = 90,0°; 2Θ = 16,44° 22,40° 27,92° 33,24° "
           "40,46°\n";
    QTest::newRow("English, typed") << "k7m-x4p"
                                    << "en_US.UTF-8"
                                    << "Platz 1: a = 396.5 pm, b = 538.6 pm, γ = 90.0°; 2Θ = 16.44° 22.40° ";
    QTest::newRow("confusable letter") << "K7MX4O"
                                       << "de_DE.UTF-8"
                                       << "";
}

void CommandLineTest::solutionTableNeedsNoDisplay()
{
    QFETCH(QString, code);
    QFETCH(QString, locale);
    QFETCH(QString, seatOne);
    const Run run = Program({"--solution", code}, locale);
    if (seatOne.isEmpty()) {
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.standardOutput.isEmpty());
        QVERIFY2(run.standardError.contains(QStringLiteral("Der Klassencode „%1“ ist ungültig.").arg(code)),
                 qPrintable(run.standardError));
        QCOMPARE(run.standardError.count(QLatin1Char('\n')), 1);
        return;
    }
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.standardError.isEmpty(), qPrintable(run.standardError));
    const QStringList lines = run.standardOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.first().contains(QStringLiteral("K7MX4P")));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^Platz \\d+: "))).size(), 2 * 40);
    QVERIFY2(lines.contains(QStringLiteral("schiefwinklig")), qPrintable(run.standardOutput));
    QVERIFY2(run.standardOutput.contains(seatOne), qPrintable(run.standardOutput));
}

void CommandLineTest::stateOptionsSayWhatALinkSays_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("fragment");
    QTest::newRow("experiment") << QStringList{"--experiment", "1a"} << "experiment=1a";
    QTest::newRow("lattice") << QStringList{"--lattice", "300;300;90"} << "lattice=300;300;90";
    QTest::newRow("crystal range") << QStringList{"--lattice", "300,300,40"} << "lattice=300,300,40";
    QTest::newRow("wavelength") << QStringList{"--wavelength", "1e9"} << "wavelength=1e9";
    QTest::newRow("omega") << QStringList{"--omega", "361", "--export", "x.png"} << "omega=361";
    QTest::newRow("speed") << QStringList{"--speed", "schnell"} << "speed=schnell";
}

// The command line and a link share one check: the same refusal, word for word.
void CommandLineTest::stateOptionsSayWhatALinkSays()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, fragment);
    const kb::CommandLineParse parse = kb::ParseCommandLine(QStringList{"kristallbeugung"} + arguments);
    const kb::StateParse link = kb::ParseStateFragment(fragment.toStdString());
    QVERIFY(!parse.request && !link.request);
    QCOMPARE(parse.exitCode, kb::kExitBadInput);
    QCOMPARE(parse.text, QStringLiteral("kristallbeugung: ") + QString::fromStdString(link.message));
}

void CommandLineTest::omegaAndSpeedReachTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<double>("omega");
    QTest::addColumn<int>("speed");
    QTest::newRow("after a lesson") << QStringList{"--experiment", "0", "--omega", "25,5", "--speed", "200"}
                                    << 25.5 << 200;
    QTest::newRow("speed alone") << QStringList{"--speed", "7"} << 0.0 << 7;
}

void CommandLineTest::omegaAndSpeedReachTheWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(double, omega);
    QFETCH(int, speed);
    const kb::CommandLineParse parse = kb::ParseCommandLine(QStringList{"kristallbeugung"} + arguments);
    QVERIFY2(parse.request, qPrintable(parse.text));
    kb::TForm1 form;
    kb::ApplyRequest(*parse.request, form);
    form.show();
    const kb::SimState& s = form.State();
    QCOMPARE(s.Omega, kb::Single(omega * static_cast<double>(s.DegToRad)));
    QCOMPARE(s.TimerInterval, static_cast<std::uint32_t>(speed));
    form.Button3->click();
    QCOMPARE(form.Timer1->interval(), speed);
}

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
