// A short notice over the drawing area's corner: it confirms an action or
// says what the program did by itself, without a box to close and without
// moving anything of the layout. A screen reader hears it as an alert.

#include <QAccessible>
#include <QLabel>
#include <QTimer>

#include "app_language.h"
#include "main_window.h"

namespace kb {
namespace {

constexpr int kNoticeMs = 4000;
constexpr int kNoticeMarginPx = 8;

}  // namespace

void TForm1::Button9Click()
{
    const bool otherCrystal = State().Crystal != kStandardCrystal;
    session_->Button9Click();
    NoticeCrystalReset(otherCrystal);
}

void TForm1::Edit2Enter()
{
    const bool otherCrystal = State().Crystal != kStandardCrystal;
    session_->Edit2Enter();
    NoticeCrystalReset(otherCrystal);
}

void TForm1::StartExperiment(int number)
{
    const bool otherCrystal = State().Crystal != kStandardCrystal;
    session_->StartExperiment(number);
    NoticeCrystalReset(otherCrystal);
}

void TForm1::NoticeCrystalReset(bool otherCrystalBefore)
{
    if (otherCrystalBefore && State().Crystal == kStandardCrystal) {
        ShowNotice(
            AppText("Diese Lektion arbeitet mit dem Standardkristall; der gewählte Kristall ist "
                    "zurückgesetzt."));
    }
}

void TForm1::ShowNotice(const QString& text)
{
    if (notice_ == nullptr) {
        notice_ = new QLabel(drawingArea_);
        notice_->setObjectName(QStringLiteral("Notice"));
        notice_->setProperty("kbOwnText", true);
        notice_->setTextFormat(Qt::PlainText);
        notice_->setAttribute(Qt::WA_TransparentForMouseEvents);
        notice_->setStyleSheet(QStringLiteral(
            "QLabel { background: #FFFFE1; color: black; border: 1px solid #808080; padding: 4px; }"));
        noticeTimer_ = new QTimer(this);
        noticeTimer_->setSingleShot(true);
        noticeTimer_->setInterval(kNoticeMs);
        connect(noticeTimer_, &QTimer::timeout, notice_, &QWidget::hide);
    }
    notice_->setText(text);
    notice_->adjustSize();
    notice_->move(kNoticeMarginPx, drawingArea_->height() - notice_->height() - kNoticeMarginPx);
    notice_->raise();
    notice_->show();
    noticeTimer_->start();
    QAccessibleEvent alert(notice_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

}  // namespace kb
