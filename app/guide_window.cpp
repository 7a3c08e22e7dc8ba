// "Anleitung": the guide from the program's resources, in the language in use,
// in a window of its own beside the main window, open while the user works.

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

#include "app_language.h"
#include "main_window.h"
#include "model/guide_text.h"
#include "window_placement.h"

namespace kb {
namespace {

constexpr int kGuideWidthPx = 520;
constexpr int kGuideGapPx = 8;
constexpr QSize kGuideMinimum(320, 240);
const QString kGuidePath = QStringLiteral("/guide/anleitung.html");

// The German guide translated on its way in, so that the page keeps its
// source URL: in-page anchors and the history work as with any page.
class GuideBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || name.scheme() != QLatin1String("qrc") ||
            name.path() != kGuidePath) {
            return resource;
        }
        const QByteArray german = resource.toByteArray();
        return QString::fromStdString(TranslateGuide({german.constData(), std::size_t(german.size())}));
    }
};

}  // namespace

void TForm1::ShowGuide()
{
    if (guide_ == nullptr) {
        guide_ = new GuideBrowser(this);
        guide_->setWindowFlag(Qt::Window);
        guide_->setObjectName(QStringLiteral("GuideWindow"));
        // Its title and name follow the language with the page, not through
        // TranslateTexts, which would keep whichever language came first.
        guide_->setProperty("kbOwnText", true);
        guide_->setWindowTitle(AppText("Kristallbeugung – Anleitung"));
        guide_->setAccessibleName(AppText("Anleitung"));
        guide_->setOpenExternalLinks(true);
        guide_->setSource(QUrl(QStringLiteral("qrc") + QLatin1Char(':') + kGuidePath));
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

void TForm1::RetranslateGuide()
{
    if (guide_ == nullptr) {
        return;
    }
    guide_->setWindowTitle(AppText("Kristallbeugung – Anleitung"));
    guide_->setAccessibleName(AppText("Anleitung"));
    // About the same place in the other language: the same share of the page.
    QScrollBar* bar = guide_->verticalScrollBar();
    const double share = bar->maximum() > 0 ? double(bar->value()) / bar->maximum() : 0.0;
    guide_->reload();
    bar->setValue(int(share * bar->maximum() + 0.5));
}

}  // namespace kb
