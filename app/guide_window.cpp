// "Anleitung": the German guide from the program's resources, in a window of
// its own beside the main window, open while the user works.

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

#include "app_language.h"
#include "main_window.h"
#include "window_placement.h"

namespace kb {
namespace {

constexpr int kGuideWidthPx = 520;
constexpr int kGuideGapPx = 8;
constexpr QSize kGuideMinimum(320, 240);

}  // namespace

void TForm1::ShowGuide()
{
    if (guide_ == nullptr) {
        guide_ = new QTextBrowser(this);
        guide_->setWindowFlag(Qt::Window);
        guide_->setObjectName(QStringLiteral("GuideWindow"));
        guide_->setWindowTitle(AppText("Kristallbeugung – Anleitung"));
        guide_->setAccessibleName(AppText("Anleitung"));
        guide_->setOpenExternalLinks(true);
        guide_->setSource(QUrl(QStringLiteral("qrc:/guide/anleitung.html")));
        // A window of its own has no dialog's Esc; the guide gets one, so
        // that it goes as quickly as F1 brought it.
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), guide_);
        connect(close, &QShortcut::activated, guide_, &QWidget::close);
        // Beside the main window where the screen has room, right or left;
        // on a small screen over the left of the picture, so that the panel
        // stays in reach.
        const QRect frame = frameGeometry();
        QRect wanted(frame.right() + 1 + kGuideGapPx, frame.top(), kGuideWidthPx, frame.height());
        if (const QScreen* onScreen = screen()) {
            const QRect available = onScreen->availableGeometry();
            if (!available.contains(wanted)) {
                wanted.moveRight(frame.left() - 1 - kGuideGapPx);
            }
            if (!available.contains(wanted)) {
                wanted.moveLeft(available.left());
            }
            wanted = FitIntoScreen(wanted, kGuideMinimum, available);
        }
        guide_->setGeometry(wanted);
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

}  // namespace kb
