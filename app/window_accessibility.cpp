// What a screen reader finds in the window: the window itself as a window, the
// drawing area as a picture with a description in words, and the groups by
// their captions.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QListWidget>
#include <QLocale>

#include "main_window.h"

namespace kb {
namespace {

// A plain widget is exposed as an unnamed client area; these two are more.
QAccessibleInterface* WindowParts(const QString& className, QObject* object)
{
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("kb::TForm1")) {
        return new QAccessibleWidget(widget, QAccessible::Window);  // named by its caption
    }
    if (className == QLatin1String("kb::DrawingArea")) {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    return nullptr;
}

}  // namespace

void TForm1::SetUpAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(WindowParts);
        return true;
    }();
    (void)installed;
    drawingArea_->setAccessibleName(QStringLiteral("Zeichenfläche"));
    RadioGroup1->setAccessibleName(RadioGroup1->title());
    NameSharedCaptions();
}

void TForm1::NameSharedCaptions()
{
    // Two "Start" buttons, two "Achsen" boxes: each named with its group,
    // while the caption stays as the lessons show it.
    for (int i = 0; i < kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        if (const std::string name = AccessibleName(control); !name.empty()) {
            findChild<QWidget*>(QString::fromLatin1(ControlName(control)))
                ->setAccessibleName(QString::fromStdString(name));
        }
    }
}

void TForm1::DescribePicture()
{
    const QString description = QString::fromStdString(session_->SceneDescription());
    if (description != drawingArea_->accessibleDescription()) {
        drawingArea_->setAccessibleDescription(description);
        QAccessibleEvent changed(drawingArea_, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

// The lab's list holds the cursor's reading and the verdict: a screen reader
// hears them as the list's description when they change.
void TForm1::AnnounceLabLines()
{
    QStringList lines;
    if (session_ && session_->InLab()) {
        for (int i = 0; i < ListBox1->count(); ++i) {
            lines << ListBox1->item(i)->text();
        }
    }
    const QString description = lines.join(QLatin1Char(' '));
    if (description != ListBox1->accessibleDescription()) {
        ListBox1->setAccessibleDescription(description);
        QAccessibleEvent changed(ListBox1, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

}  // namespace kb
