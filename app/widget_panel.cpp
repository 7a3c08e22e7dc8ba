// The window as the lessons' Panel: each call carries out on the widgets
// what the Session decided.

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QSet>
#include <QStyle>
#include <QTimer>
#include <cmath>

#include "main_window.h"

namespace kb {
namespace {

const char* const kReadoutFace = "Arial";

// A line edit's text starts 3 pixels inside its box on either side (the
// border and the toolkit's own margin of 2) and 2 pixels inside at top and
// bottom; the cursor after the last character needs one more pixel.
constexpr int kEditTextInsetPx = 3;
constexpr int kEditLineInsetPx = 2;
constexpr int kEditCursorPx = 1;
constexpr int kSmallestReadoutPx = 6;

// The readout font of cell height `cellPx`, made smaller only as far as the
// widest of `texts` needs to fit `room`, with `lines` of them one under
// another. One font per box and size, so it never changes with the text.
QFont FittingFont(int cellPx, const QStringList& texts, QSize room, int lines)
{
    const QSet<QString> unique(texts.begin(), texts.end());
    QFont font = CellHeightFont(QString::fromLatin1(kReadoutFace), cellPx);
    while (font.pixelSize() > kSmallestReadoutPx) {
        const QFontMetricsF metrics(font);
        qreal widest = 0;
        for (const QString& text : unique) {
            widest = std::max(widest, metrics.horizontalAdvance(text));
        }
        if (std::ceil(widest) <= room.width() && lines * std::ceil(metrics.height()) <= room.height()) {
            break;
        }
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

QStringList Lines(const std::string& text)
{
    return text.empty() ? QStringList() : QString::fromStdString(text).split(QLatin1Char('\n'));
}

}  // namespace

void TForm1::IndexControls()
{
    controls_.clear();
    for (int i = 0; i < kControlCount; ++i) {
        QWidget* control = findChild<QWidget*>(QString::fromLatin1(ControlName(static_cast<Control>(i))));
        Q_ASSERT(control != nullptr);
        controls_.push_back(control);
    }
}

QWidget* TForm1::Widget(Control control) const
{
    return controls_[static_cast<std::size_t>(control)];
}

int TForm1::ViewWidth() const
{
    return ViewSize().width();
}

int TForm1::ViewHeight() const
{
    return ViewSize().height();
}

std::string TForm1::DecimalSeparator() const
{
    return QLocale().decimalPoint().toStdString();
}

void TForm1::ShowControl(Control control, bool shown)
{
    Widget(control)->setVisible(shown);
}

bool TForm1::IsChecked(Control box) const
{
    return static_cast<QCheckBox*>(Widget(box))->isChecked();
}

void TForm1::SetChecked(Control box, bool checked)
{
    // The session runs the box's handler itself.
    silent_ = true;
    static_cast<QCheckBox*>(Widget(box))->setChecked(checked);
    silent_ = false;
}

int TForm1::RadioItem() const
{
    return RadioGroup1ItemIndex();
}

void TForm1::SelectRadioItem(int item)
{
    silent_ = true;
    SetRadioGroup1ItemIndex(item);
    silent_ = false;
}

std::string TForm1::ControlText(Control edit) const
{
    return static_cast<QLineEdit*>(Widget(edit))->text().toStdString();
}

void TForm1::SetControlText(Control edit, const std::string& text)
{
    static_cast<QLineEdit*>(Widget(edit))->setText(QString::fromStdString(text));
}

void TForm1::SetControlCaption(Control control, const std::string& caption)
{
    auto* button = static_cast<QAbstractButton*>(Widget(control));
    button->setText(QString::fromStdString(caption));
    // "Stop" names its group as "Start" did.
    if (const std::string name = AccessibleName(control, caption); !name.empty()) {
        button->setAccessibleName(QString::fromStdString(name));
    }
}

void TForm1::SetWindowCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void TForm1::PanelChanged()
{
    LayoutClientArea();  // the groups shown decide whether the panel scrolls
}

void TForm1::StartTimer(int intervalMs)
{
    Timer1->setInterval(intervalMs);
    Timer1->start();
}

void TForm1::StopTimer()
{
    Timer1->stop();
}

void TForm1::SetTimerInterval(int intervalMs)
{
    Timer1->setInterval(intervalMs);
}

void TForm1::ShowMessage(const std::string& title, const std::string& text)
{
    QMessageBox box(this);
    box.setWindowTitle(QString::fromStdString(title));
    // The typed text is shown literally, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MissingExperimentBox"));
    box.exec();
}

void TForm1::FitReadoutFont(Control box, int cellHeightPx, int boxWidth, int boxHeight,
                            const std::string& texts, int lines)
{
    if (box == Control::ListBox1) {
        // An item's text starts the focus frame's margin and a pixel inside its row.
        const int frame = ListBox1->frameWidth();
        const int itemMargin =
            ListBox1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListBox1) + 1;
        const QSize room(boxWidth - 2 * frame - 2 * itemMargin, boxHeight - 2 * frame);
        readoutFonts_.list = FittingFont(cellHeightPx, Lines(texts), room, lines);
        return;
    }
    const QSize room(boxWidth - 2 * kEditTextInsetPx - kEditCursorPx, boxHeight - 2 * kEditLineInsetPx);
    (box == Control::Edit3 ? readoutFonts_.omega : readoutFonts_.reflex) =
        FittingFont(cellHeightPx, Lines(texts), room, lines);
}

void TForm1::PlaceReadout(Control box, int left, int top, int width, int height)
{
    QWidget* widget = Widget(box);
    widget->setGeometry(left, top, width, height);
    widget->setFont(box == Control::Edit3   ? readoutFonts_.omega
                    : box == Control::Edit4 ? readoutFonts_.reflex
                                            : readoutFonts_.list);
}

// A screen reader hears a readout when its text changes, not every pass.
void TForm1::SetReadoutText(Control box, const std::string& text)
{
    if (box == Control::ListBox1) {
        const QStringList lines = Lines(text);
        bool same = ListBox1->count() == lines.size();
        for (int i = 0; same && i < lines.size(); ++i) {
            same = ListBox1->item(i)->text() == lines[i];
        }
        if (!same) {
            ListBox1->clear();
            ListBox1->addItems(lines);
            AnnounceLabLines();
        }
        return;
    }
    auto* edit = static_cast<QLineEdit*>(Widget(box));
    const QString shown = QString::fromStdString(text);
    if (edit->text() != shown) {
        edit->setText(shown);
        edit->setCursorPosition(0);
    }
}

void TForm1::ShowPicture(const DrawList& pass)
{
    drawingArea_->Show(pass);
    SyncMenuStates();
    DescribePicture();
}

}  // namespace kb
