#include <QApplication>
#include <QFont>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "main_window.h"

namespace {

// Without a display the toolkit would abort with a plugin error; say instead
// in one line what to do.
bool HasDisplay()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') {
        return true;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!HasDisplay()) {
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
