// The keyboard beyond the panel's own controls: Enter where a user expects it,
// the menu bar from F10, and the rotation from the menu "Kristall" for the
// teacher at the projector.

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>

#include "app_language.h"
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
    connect(Edit2, &QLineEdit::returnPressed, this, &TForm1::Edit2Enter);
    for (QPushButton* button : Panel1->findChildren<QPushButton*>()) {
        button->installEventFilter(this);
    }
    drawingArea_->installEventFilter(this);
    for (QLineEdit* edit : {Edit2, Edit5, Edit6, Edit7}) {
        edit->installEventFilter(this);
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
    if (watched == drawingArea_) {
        return DrawingAreaEvent(event) || QWidget::eventFilter(watched, event);
    }
    // A line edit takes Ctrl+U for itself (delete to the line's start); the
    // lab's entries keep their keys wherever the focus is.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched) != nullptr) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        if (pressed == labAction_->shortcut() || pressed == scaleAction_->shortcut()) {
            return true;  // left unaccepted, so that the menu's shortcut runs
        }
    }
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

// The measuring cursor: a press or a drag with the left button sets it; with
// the focus on the drawing area the arrows move it (Shift: a whole degree)
// and "S" puts it on the nearest peak, as "Spitze" does.
bool TForm1::DrawingAreaEvent(QEvent* event)
{
    if (!session_ || !session_->MeasureScale()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton)) {
                return false;
            }
            const QPoint at = mouse->position().toPoint();
            session_->PointerAt(at.x(), at.y());
            return false;  // a press still gives the area the focus
        }
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const double step = (key->modifiers() & Qt::ShiftModifier) ? kCursorBigStepDeg : kCursorStepDeg;
            if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
                session_->MoveCursor(key->key() == Qt::Key_Left ? -step : step);
                return true;
            }
            if (key->key() == Qt::Key_S && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                session_->Button10Click();
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

// The menu offers what the panel offers: a rotation control the lesson hides
// is off in the menu too, and there are values to save once a peak is recorded.
void TForm1::SyncMenuStates()
{
    if (rotateAction_ == nullptr || !session_) {
        return;
    }
    const bool running = session_->TimerRunning();
    rotateAction_->setText(running ? AppText("&Drehung anhalten") : AppText("&Drehung starten"));
    const std::pair<QAction*, QPushButton*> pairs[] = {{rotateAction_, Button3},
                                                       {nextReflexAction_, Button6},
                                                       {groundAction_, Button5},
                                                       {fasterAction_, Button2},
                                                       {slowerAction_, Button8}};
    for (const auto& [action, button] : pairs) {
        action->setEnabled(IsInitialised() && button->isVisibleTo(this));
    }
    // In the lab the values table and the crystal dialog would name the crystal.
    const bool lab = session_->InLab();
    saveValuesAction_->setEnabled(IsInitialised() && AnyPeakRecorded(State()) && !lab);
    crystalAction_->setEnabled(!lab);
    saveDiffractogramAction_->setEnabled(IsInitialised());
    const bool scale = session_->MeasureScale();
    scaleAction_->setChecked(scale);
    // The drawing area takes the focus only while there is a cursor to move.
    drawingArea_->setFocusPolicy(scale ? Qt::StrongFocus : Qt::NoFocus);
    if (!scale && drawingArea_->hasFocus()) {
        focusNextChild();
    }
}

}  // namespace kb
