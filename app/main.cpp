#include <QApplication>
#include <QFont>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Without a display the toolkit would abort with a plugin error; say instead
// in one line what to do. A platform chosen by argument or environment, or
// an X display given by argument, is left to the toolkit.
bool ToolkitCanStart(int argc, char* argv[])
{
    return IsSet("QT_QPA_PLATFORM") || HasOption(argc, argv, "-platform") || IsSet("DISPLAY") ||
           IsSet("WAYLAND_DISPLAY") || HasOption(argc, argv, "-display");
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!ToolkitCanStart(argc, argv)) {
        std::fprintf(stderr,
                     "kristallbeugung: no display found; start it on a desktop, or without one as "
                     "\"xvfb-run -a kristallbeugung\".\n");
        return 2;
    }
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QApplication app(argc, argv);
    // No display name: the toolkit would append it to every window title,
    // and the title is the lesson's caption alone.
    QApplication::setApplicationName(QStringLiteral("Kristallbeugung"));
    QApplication::setDesktopFileName(QStringLiteral("de.kristallbeugung.Kristallbeugung"));
    kb::TForm1 form1;
    form1.show();
    return app.exec();
}
