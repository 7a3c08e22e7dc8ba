#pragma once

#include <QDialog>
#include <functional>

#include "lesson/session.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace kb {

// "Unbekannter Kristall": the class code (a teacher makes a new one with
// "Neuer Code", which also shows the key to the solutions), the seat and the
// level. "OK" hands a valid choice to `start` and closes; a code that is none
// is named in the dialog, which stays open.
class LabDialog final : public QDialog {
    Q_OBJECT

public:
    using Start = std::function<void(const LabChoice&)>;

    LabDialog(QWidget* parent, Start start);

    QLineEdit* codeEdit = nullptr;
    QPushButton* newCodeButton = nullptr;
    QLabel* keyLabel = nullptr;
    QSpinBox* seatSpin = nullptr;
    QRadioButton* rectangularRadio = nullptr;
    QRadioButton* obliqueRadio = nullptr;
    QLabel* problemLabel = nullptr;
    QPushButton* okButton = nullptr;
    // "Für die Lehrkraft": folded until asked for; the key of the code
    // unlocks the solutions of every seat.
    QToolButton* teacherToggle = nullptr;
    QLineEdit* keyEdit = nullptr;
    QPushButton* solutionButton = nullptr;
    QPlainTextEdit* solutionText = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void NewCode();
    void OkClicked();
    void ShowSolutions();
    void ShowProblem(const QString& text, QWidget* focus);

    Start start_;
};

}  // namespace kb
