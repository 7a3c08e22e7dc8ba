// The keyboard beyond the panel's own controls: Enter where a user expects it,
// the menu bar from F10, and the rotation from the menu "Kristall" for the
// teacher at the projector.

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

#include "main_window.h"
#include "model/diffractogram.h"

namespace kb {
namespace {

QAction* AddRotationAction(QMenu* menu, const char* name, const QString& text,
                           const QList<QKeySequence>& shortcuts, QPushButton* button)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(shortcuts);
    action->setEnabled(false);  // until a lesson shows the button
    QObject::connect(action, &QAction::triggered, button, &QPushButton::click);
    return action;
}

}  // namespace

void TForm1::BuildRotationActions(QMenu* menu)
{
    menu->addSeparator();
    rotateAction_ = AddRotationAction(menu, "RotateAction", QStringLiteral("&Drehung starten"),
                                      {QKeySequence(Qt::CTRL | Qt::Key_R)}, Button3);
    nextReflexAction_ = AddRotationAction(menu, "NextReflexAction", QStringLiteral("&Nächster Reflex"),
                                          {QKeySequence(Qt::CTRL | Qt::Key_N)}, Button6);
    groundAction_ = AddRotationAction(menu, "GroundPositionAction", QStringLiteral("&Grundposition"),
                                      {QKeySequence(Qt::CTRL | Qt::Key_G)}, Button5);
    // Ctrl+= too, for keyboards where "+" needs the shift key.
    fasterAction_ = AddRotationAction(
        menu, "FasterAction", QStringLiteral("&Schneller"),
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, Button2);
    slowerAction_ = AddRotationAction(menu, "SlowerAction", QStringLiteral("&Langsamer"),
                                      {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, Button8);
    connect(menu, &QMenu::aboutToShow, this, &TForm1::SyncMenuStates);
    SyncMenuStates();
}

void TForm1::SetUpKeys()
{
    // A typed lesson number starts with Enter as with "Start".
    connect(Edit2, &QLineEdit::returnPressed, Button9, &QPushButton::click);
    for (QPushButton* button : Panel1->findChildren<QPushButton*>()) {
        button->installEventFilter(this);
    }
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        if (!menuBar_->actions().isEmpty()) {
            menuBar_->setActiveAction(menuBar_->actions().constFirst());
        }
    });
}

// Outside a dialog a push button answers only Space; Enter presses it too.
bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (enter && button != nullptr && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The menu offers what the panel offers: a rotation control the lesson hides
// is off in the menu too, and there are values to save once a peak is recorded.
void TForm1::SyncMenuStates()
{
    if (rotateAction_ == nullptr || !session_) {
        return;
    }
    const bool running = session_->TimerRunning();
    rotateAction_->setText(running ? QStringLiteral("&Drehung anhalten")
                                   : QStringLiteral("&Drehung starten"));
    const std::pair<QAction*, QPushButton*> pairs[] = {{rotateAction_, Button3},
                                                       {nextReflexAction_, Button6},
                                                       {groundAction_, Button5},
                                                       {fasterAction_, Button2},
                                                       {slowerAction_, Button8}};
    for (const auto& [action, button] : pairs) {
        action->setEnabled(IsInitialised() && button->isVisibleTo(this));
    }
    saveValuesAction_->setEnabled(IsInitialised() && AnyPeakRecorded(State()));
}

}  // namespace kb
