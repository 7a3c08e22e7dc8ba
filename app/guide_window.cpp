// "Anleitung": the German guide from the program's resources, in a window of
// its own beside the main window, open while the user works.

#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>

#include "main_window.h"
#include "window_placement.h"

namespace kb {
namespace {

constexpr int kGuideWidthPx = 520;
constexpr int kGuideGapPx = 8;

}  // namespace

void TForm1::ShowGuide()
{
    if (guide_ == nullptr) {
        guide_ = new QTextBrowser(this);
        guide_->setWindowFlag(Qt::Window);
        guide_->setObjectName(QStringLiteral("GuideWindow"));
        guide_->setWindowTitle(QStringLiteral("Kristallbeugung – Anleitung"));
        guide_->setAccessibleName(QStringLiteral("Anleitung"));
        guide_->setOpenExternalLinks(true);
        guide_->setSource(QUrl(QStringLiteral("qrc:/guide/anleitung.html")));
        // Beside the main window where the screen has room, else over its edge.
        const QRect frame = frameGeometry();
        const QRect wanted(frame.right() + 1 + kGuideGapPx, frame.top(), kGuideWidthPx, frame.height());
        const QScreen* onScreen = screen();
        guide_->setGeometry(onScreen != nullptr
                                ? FitIntoScreen(wanted, QSize(320, 240), onScreen->availableGeometry())
                                : wanted);
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

}  // namespace kb
