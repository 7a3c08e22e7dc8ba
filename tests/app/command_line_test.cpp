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
#include "render/measured_values.h"

using namespace kbtest;

namespace {

struct Run {
    int exitCode = -1;
    QString standardError;
    QString standardOutput;
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
            QString::fromLocal8Bit(process.readAllStandardError()),
            QString::fromLocal8Bit(process.readAllStandardOutput())};
}

// Whether a helper program is there and works.
bool Runs(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
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
    void refusalNamesTheFault_data();
    void refusalNamesTheFault();
    void helpAllNeedsNoDisplay();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void workbookHoldsNumbers();
    void valuesOfAFullTurnFollowTheLocale_data();
    void valuesOfAFullTurnFollowTheLocale();
    void fullTurnListsTheWholeTable_data();
    void fullTurnListsTheWholeTable();
    void svgKeepsShapesAndTexts();
    void pngIsThePictureTheWindowShows();

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
    QTest::newRow("unknown extension") << QStringList{"--export", "OUT/x.bmp"};
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
    QTest::newRow("turn lacks its value")
        << QStringList{"--turn", "--export", "u.png"} << QStringLiteral("Nach --turn fehlt der Wert.");
    QTest::newRow("two pictures") << QStringList{"--export", "a.png", "--export", "b.svg"}
                                  << QStringLiteral("--export ist mehrfach angegeben");
    QTest::newRow("two tables") << QStringList{"--export-values", "a.csv", "--export-values", "b.xlsx"}
                                << QStringLiteral("--export-values ist mehrfach angegeben");
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
    QVERIFY2(run.standardOutput.contains(QLatin1String("--export-values")) &&
                 run.standardOutput.contains(QLatin1String("-platform")),
             qPrintable(run.standardOutput));
}

void CommandLineTest::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    for (const char* picture : {"bild.png", "bild.svg", "bild.pdf"}) {
        QTest::newRow(picture) << QString::fromLatin1(picture)
                               << QStringList{"--experiment", "8", "--export"};
    }
    for (const char* table : {"werte.csv", "werte.xlsx"}) {
        QTest::newRow(table) << QString::fromLatin1(table)
                             << QStringList{"--experiment", "0", "--turn", "360", "--export-values"};
    }
}

// A real full disk: a small tmpfs in a mount namespace of our own, filled up
// after the old file was put there. What is left is listed from inside.
void CommandLineTest::fullDiskKeepsTheOldFile()
{
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    if (!Runs(QStringLiteral("unshare"), {"-rm", "true"})) {
        QSKIP("no user and mount namespace for a small tmpfs here");
    }
    const QString disk = dir_.filePath(QStringLiteral("disk-") + name);
    QVERIFY(QDir().mkpath(disk));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=64k none \"$1\" || exit 77; cd \"$1\" || exit 77; printf old > \"$2\"; "
        "dd if=/dev/zero of=fill bs=1k count=100 2>/dev/null; shift 2; \"$@\"; echo \"status $?\"; "
        "echo files $(ls -A); echo content $(cat werte.* bild.* 2>/dev/null)");
    static const QTemporaryDir runtime;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    process.setProcessEnvironment(env);
    const QString target = disk + QLatin1Char('/') + name;
    process.start(QStringLiteral("unshare"),
                  QStringList{"-rm", "sh", "-c", script, "sh", disk, name, QStringLiteral(KB_PROGRAM)}
                      << arguments << target);
    QVERIFY(process.waitForFinished(60000));
    if (process.exitCode() == 77) {
        QSKIP("cannot mount a tmpfs here");
    }
    const QString said = QString::fromUtf8(process.readAllStandardError());
    const QStringList report = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    QCOMPARE(said, QStringLiteral("kristallbeugung: Die Datei „%1“ kann nicht geschrieben werden: kein Platz "
                                  "auf dem Datenträger.\n")
                       .arg(target));
    QCOMPARE(report.value(0), QStringLiteral("status 2"));
    QStringList files = report.value(1).split(QLatin1Char(' '));
    QStringList kept{QStringLiteral("files"), QStringLiteral("fill"), name};
    files.sort();
    kept.sort();
    QCOMPARE(files, kept);  // no temporary file left
    QCOMPARE(report.value(2), QStringLiteral("content old"));
}

// The workbook's first sheet: the header frozen, then numbers, not texts,
// exactly those of the table; the second names crystal and lesson.
void CommandLineTest::workbookHoldsNumbers()
{
    if (!Runs(QStringLiteral("unzip"), {"-v"})) {
        QSKIP("unzip is not installed");
    }
    const QString book = dir_.filePath(QStringLiteral("werte.xlsx"));
    QCOMPARE(Program({"--lattice", "300,300,120", "--wavelength", "150", "--experiment", "0", "--turn", "360",
                      "--export-values", book})
                 .exitCode,
             0);
    const auto member = [&book](const char* path) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {"-p", book, QString::fromLatin1(path)});
        unzip.waitForFinished();
        return QString::fromUtf8(unzip.readAllStandardOutput());
    };
    const QString sheet = member("xl/worksheets/sheet1.xml");
    QVERIFY(sheet.contains(QLatin1String("ySplit=\"1\"")) &&
            sheet.contains(QLatin1String("state=\"frozen\"")));

    kb::SimState s;
    s.Crystal = {300.0f, 300.0f, 120.0f, 150.0f};
    kb::InitConstantsAndTable(s);
    for (kb::Reflex& r : s.ReflexTable) {
        r.PeakRecorded = true;
    }
    QList<double> expected;
    for (const kb::MeasuredRow& row : kb::MeasuredValues(s)) {
        expected.append(QList<double>(row.begin(), row.end()));
    }
    static const QRegularExpression numberCell(
        QStringLiteral("<c r=\"[A-H]\\d+\"( s=\"\\d+\")?><v>([^<]*)</v>"));
    QList<double> numbers;
    for (const QRegularExpressionMatch& match : numberCell.globalMatch(sheet)) {
        numbers << match.captured(2).toDouble();
    }
    QCOMPARE(numbers, expected);
    QVERIFY(numbers.contains(180.0));  // the backscatter rows of this crystal

    const QString strings = member("xl/sharedStrings.xml");
    for (const char* text : {"d/n (pm)", "Omega (°)", "λ (pm)", "Experiment 0"}) {
        QVERIFY2(strings.contains(QString::fromUtf8(text)), text);
    }
    QVERIFY(member("xl/worksheets/sheet2.xml").contains(QLatin1String("<v>150</v>")));
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

void CommandLineTest::fullTurnListsTheWholeTable_data()
{
    QTest::addColumn<QString>("lattice");
    QTest::addColumn<QString>("wavelength");
    QTest::newRow("square") << QStringLiteral("300,300,90") << QStringLiteral("154.051");
    // A reflection in the last degree while the window before it is still open.
    QTest::newRow("last degree, standard lattice")
        << QStringLiteral("300,390,111") << QStringLiteral("58.69");
    QTest::newRow("last degree, hexagonal") << QStringLiteral("300,300,120") << QStringLiteral("150");
}

void CommandLineTest::fullTurnListsTheWholeTable()
{
    QFETCH(QString, lattice);
    QFETCH(QString, wavelength);
    const QString values = dir_.filePath(QStringLiteral("turn.csv"));
    QCOMPARE(Program({"--lattice", lattice, "--wavelength", wavelength, "--experiment", "0", "--turn", "360",
                      "--export-values", values})
                 .exitCode,
             0);
    const QStringList a = lattice.split(QLatin1Char(','));
    kb::SimState s;
    s.Crystal = {a[0].toFloat(), a[1].toFloat(), a[2].toFloat(), wavelength.toFloat()};
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

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
