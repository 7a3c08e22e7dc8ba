#include "command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "app_language.h"
#include "lesson/experiments.h"
#include "lesson/state_link.h"
#include "main_window.h"
#include "model/crystal_choice.h"
#include "model/unknown_crystal.h"
#include "paint/picture_export.h"
#include "paint/stamps.h"
#include "up_down.h"
#include "values_export.h"

namespace kb {
namespace {

constexpr double kMaxTurnDeg = 36000.0;  // a hundred turns

// What --help-all adds to --help: the toolkit's own options, which it reads
// before the program sees its arguments.
const char kToolkitOptionsHelp[] =
    "\nOptionen des Qt-Toolkits:\n"
    "  -platform <NAME>         Grafiksystem, etwa xcb, wayland oder offscreen.\n"
    "  -display <DISPLAY>       X-Bildschirm, etwa :0.\n"
    "  -style <STIL>            Aussehen der Bedienelemente, etwa Fusion.\n"
    "  -reverse                 Fenster von rechts nach links.\n"
    "  -qwindowgeometry <GEOM>  Fenstergröße und -lage, etwa 1200x800+0+0.\n";

QString Problem(const QString& text)
{
    return QStringLiteral("kristallbeugung: ") + text;
}

CommandLineParse Fail(const QString& text)
{
    CommandLineParse parse;
    parse.text = Problem(text);
    parse.toStandardError = true;
    parse.exitCode = kExitBadInput;
    return parse;
}

// A number as a user types it: a point or a comma as decimal separator.
std::optional<double> ParseDecimal(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseTurn(const QString& text)
{
    const std::optional<double> value = ParseDecimal(text);
    if (!value || *value < 0.0 || *value > kMaxTurnDeg) {
        return std::nullopt;
    }
    return value;
}

std::optional<QSize> ParseSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})[xX×](\\d{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return QSize(match.captured(1).toInt(), match.captured(2).toInt());
}

// Catches what would stop a file from being written before anything is
// written: a missing folder, a folder in the file's place, no permission.
QString CheckWritable(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir()) {
        return AppText("„%1“ ist ein Ordner.").arg(path);
    }
    if (!folder.isDir()) {
        return AppText("Der Ordner „%1“ existiert nicht.").arg(QDir::toNativeSeparators(folder.filePath()));
    }
    if (!folder.isWritable() || (file.exists() && !file.isWritable())) {
        return AppText("Die Datei „%1“ kann nicht geschrieben werden: keine Berechtigung.").arg(path);
    }
    return {};
}

}  // namespace

CommandLineParse ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        AppText("Kristallbeugung zeigt die Röntgenbeugung an einem zweidimensionalen Kristall.\n"
                "Ohne --export und --export-values öffnet sich das Fenster im gewählten Zustand;\n"
                "mit ihnen schreibt das Programm die Dateien und beendet sich, ohne Fenster."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption experiment(QStringList{QStringLiteral("experiment")},
                                        AppText("Startet Experiment N (-1 bis 14) wie \"Start\"."),
                                        QStringLiteral("N"));
    const QCommandLineOption turn(QStringList{QStringLiteral("turn")},
                                  AppText("Dreht den Kristall danach um DEG Grad, Schritt für Schritt "
                                          "(4 Schritte je Grad)."),
                                  AppText("DEG"));
    const QCommandLineOption size(
        QStringList{QStringLiteral("size")},
        AppText("Größe der Zeichenfläche in Pixeln (Vorgabe %1x%2, mindestens %3x%4).")
            .arg(kDefaultViewWidthPx)
            .arg(kDefaultViewHeightPx)
            .arg(kMinWindowWidthPx - kPanelWidthPx)
            .arg(kMinWindowHeightPx),
        AppText("BxH"));
    const QCommandLineOption scale(
        QStringList{QStringLiteral("scale")},
        AppText("Schreibt ein PNG mit F-mal so vielen Pixeln je Richtung, Linien und Schrift "
                "mitvergrößert (1 bis %1, Vorgabe 1), etwa für Druck und Poster.")
            .arg(kMaxPictureScale),
        QStringLiteral("F"));
    const QCommandLineOption picture(
        QStringList{QStringLiteral("export")},
        AppText("Schreibt das Bild als PNG, JPEG, BMP, SVG oder PDF (nach der Endung)."), AppText("DATEI"));
    const QCommandLineOption values(
        QStringList{QStringLiteral("export-values")},
        AppText("Schreibt die Messwerte als CSV-Tabelle oder Excel-Arbeitsmappe (.csv, .xlsx)."),
        AppText("DATEI"));
    const QCommandLineOption lattice(QStringList{QStringLiteral("lattice")},
                                     AppText("Gitter a,b,Gamma in pm, pm und Grad (Vorgabe 300,390,111)."),
                                     AppText("A,B,GAMMA"));
    const QCommandLineOption wavelength(QStringList{QStringLiteral("wavelength")},
                                        AppText("Wellenlänge in pm (Vorgabe 154.051, Cu Kα1)."),
                                        QStringLiteral("L"));
    const QCommandLineOption omega(QStringList{QStringLiteral("omega")},
                                   AppText("Stellt den Kristall auf den Winkel Omega, DEG Grad (0 bis 360)."),
                                   QStringLiteral("DEG"));
    const QCommandLineOption speed(
        QStringList{QStringLiteral("speed")},
        AppText("Millisekunden je Drehschritt, wie \"schneller\" und \"langsamer\" sie ändern "
                "(Vorgabe 70)."),
        QStringLiteral("MS"));
    const QCommandLineOption diffractogram(
        QStringList{QStringLiteral("export-diffractogram")},
        AppText("Schreibt das Diffraktogramm, 2Theta und Intensität je Kanal, als CSV-Tabelle oder "
                "Excel-Arbeitsmappe (.csv, .xlsx)."),
        AppText("DATEI"));
    // For the teacher: not listed, so that a class reading the help on the
    // screen does not find the solutions of its code there.
    QCommandLineOption solution(QStringList{QStringLiteral("solution")},
                                AppText("Druckt die Lösungen zum Klassencode CODE (Plätze 1 bis 40)."),
                                AppText("CODE"));
    solution.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption language(QStringList{QStringLiteral("lang")},
                                      AppText("Sprache der Oberfläche, %1 (Vorgabe: die des Systems).")
                                          .arg(Languages().join(QStringLiteral(", "))),
                                      AppText("SPRACHE"));
    parser.addOptions({experiment, turn, size, scale, lattice, wavelength, omega, speed, picture, values,
                       diffractogram, solution, language});

    if (!parser.parse(arguments)) {
        return Fail(parser.errorText());
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        CommandLineParse parse;
        parse.text = parser.helpText();
        if (parser.isSet(QStringLiteral("help-all"))) {
            parse.text += AppText(kToolkitOptionsHelp);
        }
        return parse;
    }
    if (parser.isSet(language) && !Languages().contains(parser.value(language))) {
        return Fail(AppText("--lang %1: erwartet wird eine der Sprachen %2.")
                        .arg(parser.value(language), Languages().join(QStringLiteral(", "))));
    }
    // The parser takes the next argument as the value even when it is the
    // next option ("--turn --export u.png"); name the option that lacks it.
    const QList<const QCommandLineOption*> withValue{&experiment, &turn,          &size,    &lattice,
                                                     &wavelength, &omega,         &speed,   &picture,
                                                     &values,     &diffractogram, &solution};
    for (const QCommandLineOption* option : withValue) {
        const QString name = option->names().constFirst();
        for (const QString& value : parser.values(*option)) {
            if (value.startsWith(QLatin1String("--"))) {
                return Fail(AppText("Nach --%1 fehlt der Wert.").arg(name));
            }
        }
    }
    for (const QCommandLineOption* option : {&picture, &values, &diffractogram}) {
        if (parser.values(*option).size() > 1) {
            return Fail(AppText("--%1 ist mehrfach angegeben; je Aufruf wird eine Datei geschrieben.")
                            .arg(option->names().constFirst()));
        }
    }
    if (parser.isSet(version)) {
        CommandLineParse parse;
        parse.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                     QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return parse;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Fail(AppText("Unerwartetes Argument „%1“.").arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(solution)) {
        const QString typed = parser.value(solution);
        const std::optional<std::string> code = NormaliseClassCode(typed.toStdString());
        if (!code) {
            return Fail(AppText("Der Klassencode „%1“ ist ungültig.").arg(typed));
        }
        CommandLineParse parse;
        parse.text = QString::fromStdString(SolutionTable(*code, QLocale().decimalPoint().toStdString()));
        return parse;
    }

    // The state a link gives too: one check of names, ranges and messages.
    StateOptions typed;
    const std::pair<const QCommandLineOption*, std::optional<std::string>*> stateOptions[] = {
        {&experiment, &typed.experiment},
        {&lattice, &typed.lattice},
        {&wavelength, &typed.wavelength},
        {&omega, &typed.omega},
        {&speed, &typed.speed}};
    for (const auto& [option, slot] : stateOptions) {
        if (parser.isSet(*option)) {
            *slot = parser.value(*option).toStdString();
        }
    }
    StateParse state = CheckStateOptions(typed);
    if (!state.request) {
        return Fail(QString::fromStdString(state.message));
    }
    CommandLineRequest request;
    if (state.request->experiment) {
        request.experiment = QString::fromStdString(*state.request->experiment);
    }
    if (state.request->crystal && !(*state.request->crystal == kStandardCrystal)) {
        request.crystal = state.request->crystal;
    }
    request.omegaDeg = state.request->omegaDeg;
    request.intervalMs = state.request->intervalMs;
    if (parser.isSet(turn)) {
        const std::optional<double> degrees = ParseTurn(parser.value(turn));
        if (!degrees) {
            return Fail(AppText("--turn %1: erwartet wird eine Gradzahl von 0 bis %2.")
                            .arg(parser.value(turn))
                            .arg(kMaxTurnDeg));
        }
        request.turnDeg = *degrees;
    }
    if (parser.isSet(size)) {
        const std::optional<QSize> view = ParseSize(parser.value(size));
        const int minWidth = kMinWindowWidthPx - kPanelWidthPx;
        if (!view || view->width() < minWidth || view->height() < kMinWindowHeightPx ||
            view->width() > kMaxViewSidePx || view->height() > kMaxViewSidePx) {
            return Fail(AppText("--size %1: erwartet wird BREITExHÖHE von %2x%3 bis %4x%4.")
                            .arg(parser.value(size))
                            .arg(minWidth)
                            .arg(kMinWindowHeightPx)
                            .arg(kMaxViewSidePx));
        }
        request.viewSize = view;
    }
    if (parser.isSet(picture)) {
        request.picturePath = parser.value(picture);
        if (!PictureFormatOf(request.picturePath)) {
            return Fail(QStringLiteral("--export: ") + UnknownPictureFormatMessage(request.picturePath));
        }
    }
    if (parser.isSet(scale)) {
        bool ok = false;
        const int factor = parser.value(scale).trimmed().toInt(&ok);
        if (!ok || factor < 1 || factor > kMaxPictureScale) {
            return Fail(AppText("--scale %1: erwartet wird eine ganze Zahl von 1 bis %2.")
                            .arg(parser.value(scale))
                            .arg(kMaxPictureScale));
        }
        const QSize view = request.viewSize.value_or(QSize(kDefaultViewWidthPx, kDefaultViewHeightPx));
        if (std::max(view.width(), view.height()) * factor > kMaxViewSidePx) {
            return Fail(AppText("--scale %1: das Bild hätte %2x%3 Pixel, höchstens %4 je Seite gehen.")
                            .arg(factor)
                            .arg(view.width() * factor)
                            .arg(view.height() * factor)
                            .arg(kMaxViewSidePx));
        }
        request.pictureScale = factor;
    }
    if (parser.isSet(values)) {
        request.valuesPath = parser.value(values);
        if (!ValuesFormatOf(request.valuesPath)) {
            return Fail(
                AppText("--export-values %1: die Endung muss .csv oder .xlsx sein.").arg(request.valuesPath));
        }
    }
    if (parser.isSet(diffractogram)) {
        request.diffractogramPath = parser.value(diffractogram);
        if (!ValuesFormatOf(request.diffractogramPath)) {
            return Fail(AppText("--export-diffractogram %1: die Endung muss .csv oder .xlsx sein.")
                            .arg(request.diffractogramPath));
        }
    }
    return CommandLineParse{std::move(request), QString(), false, 0};
}

std::optional<QString> LanguageArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if ((arg == QLatin1String("--lang") || arg == QLatin1String("-lang")) && i + 1 < arguments.size()) {
            return arguments[i + 1];
        }
        if (arg.startsWith(QLatin1String("--lang="))) {
            return arg.mid(7);
        }
    }
    return std::nullopt;
}

bool WantsNoWindow(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(arg, option) == 0) {
                return true;
            }
        }
        for (const char* prefix : {"--export", "--solution"}) {
            if (std::strncmp(arg, prefix, std::strlen(prefix)) == 0) {
                return true;
            }
        }
    }
    return false;
}

void ApplyRequest(const CommandLineRequest& request, TForm1& form)
{
    if (request.viewSize) {
        form.SetViewSize(*request.viewSize);
    }
    if (request.crystal) {
        form.ApplyCrystal(*request.crystal);  // checked while reading the arguments
    }
    if (!request.Exports() && !request.experiment && !request.omegaDeg && !request.intervalMs &&
        request.turnDeg <= 0.0) {
        return;  // the window initialises itself when it is first shown
    }
    form.FormActivate();
    if (request.experiment) {
        form.Edit2->setText(*request.experiment);
        form.Button9Click();
    }
    if (request.omegaDeg) {
        form.Lesson().TurnTo(*request.omegaDeg);
    }
    if (request.intervalMs) {
        form.Lesson().SetSpeed(*request.intervalMs);
    }
    if (request.turnDeg > 0.0) {
        form.TurnCrystal(request.turnDeg);
    }
}

QString WriteExports(const CommandLineRequest& request, TForm1& form)
{
    for (const QString& path : {request.picturePath, request.valuesPath, request.diffractogramPath}) {
        if (!path.isEmpty()) {
            if (const QString problem = CheckWritable(path); !problem.isEmpty()) {
                return Problem(problem);
            }
        }
    }
    if (!request.picturePath.isEmpty()) {
        PaintCache cache;
        const QString problem =
            SavePicture(request.picturePath, *PictureFormatOf(request.picturePath), form.LatestPass(),
                        form.ViewSize(), request.pictureScale, form.PictureDescription(), cache);
        if (!problem.isEmpty()) {
            return Problem(problem);
        }
    }
    if (!request.valuesPath.isEmpty()) {
        if (const QString problem = form.SaveValues(request.valuesPath); !problem.isEmpty()) {
            return Problem(problem);
        }
    }
    if (!request.diffractogramPath.isEmpty()) {
        if (const QString problem = form.SaveDiffractogram(request.diffractogramPath); !problem.isEmpty()) {
            return Problem(problem);
        }
    }
    return {};
}

}  // namespace kb
