#include <QApplication>
#include <QFont>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app_language.h"
#include "command_line.h"
#include "main_window.h"

namespace {

bool IsSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Whether an option the toolkit reads, "-name value" (or "--name value"),
// is on the command line.
bool HasOption(int argc, char* argv[], const char* name)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-' && arg[1] == '-') {
            ++arg;
        }
        if (std::strcmp(arg, name) == 0) {
            return true;
        }
    }
    return false;
}

// A platform chosen by argument or environment is the toolkit's to open.
bool PlatformChosen(int argc, char* argv[])
{
    return IsSet("QT_QPA_PLATFORM") || HasOption(argc, argv, "-platform");
}

// Where the toolkit finds a display of its own: the environment, or an X
// display given by argument.
bool DisplayGiven(int argc, char* argv[])
{
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || HasOption(argc, argv, "-display");
}

void Print(const QString& text, bool toStandardError)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::FILE* stream = toStandardError ? stderr : stdout;
    std::fputs(bytes.constData(), stream);
    if (!text.endsWith(QLatin1Char('\n'))) {
        std::fputc('\n', stream);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    // Without a display the toolkit would abort with a plugin error. Where no
    // platform is chosen, the program starts without one and says, once it
    // knows that a window is wanted, in one line what to do; exports, help
    // and the version need no display at all.
    const bool noDisplay = !PlatformChosen(argc, argv) && !DisplayGiven(argc, argv);
    if (!PlatformChosen(argc, argv) && (noDisplay || kb::WantsNoWindow(argc, argv))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QApplication app(argc, argv);
    // The toolkit takes the C library's locale from the environment; its
    // numbers would then be written with the user's decimal comma, also by
    // libraries (the workbook's XML) whose formats demand a point. The
    // program's own texts get their separator from QLocale, which does not
    // depend on this.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("kristallbeugung"));
    QApplication::setApplicationVersion(QStringLiteral(KB_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("de.kristallbeugung.Kristallbeugung"));
    const kb::LanguageChoice language = kb::StartLanguage(kb::LanguageArgument(QApplication::arguments()));
    kb::ApplyLanguage(language.code, !language.bySystem);

    const kb::CommandLineParse parsed = kb::ParseCommandLine(QApplication::arguments());
    if (!parsed.request) {
        Print(parsed.text, parsed.toStandardError);
        return parsed.exitCode;
    }
    const kb::CommandLineRequest& request = *parsed.request;
    if (!request.Exports() && noDisplay) {
        Print(kb::AppText("kristallbeugung: kein Bildschirm gefunden; das Fenster braucht einen Desktop, "
                          "ohne einen startet es mit „xvfb-run -a kristallbeugung“."),
              true);
        return kb::kExitBadInput;
    }

    kb::TForm1 form1;
    kb::ApplyRequest(request, form1);
    if (request.Exports()) {
        const QString problem = kb::WriteExports(request, form1);
        if (!problem.isEmpty()) {
            Print(problem, true);
            return kb::kExitBadInput;
        }
        return 0;
    }
    form1.show();
    return app.exec();
}
