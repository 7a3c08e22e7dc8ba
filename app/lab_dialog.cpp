#include "lab_dialog.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app_language.h"
#include "model/unknown_crystal.h"

namespace kb {
namespace {

const QColor kProblemColour(0xB0, 0x00, 0x00);

}  // namespace

LabDialog::LabDialog(QWidget* parent, Start start) : QDialog(parent), start_(std::move(start))
{
    setObjectName(QStringLiteral("LabDialog"));
    setWindowTitle(QStringLiteral("Unbekannter Kristall"));

    codeEdit = new QLineEdit(this);
    codeEdit->setObjectName(QStringLiteral("ClassCode"));
    codeEdit->setMaxLength(2 * kClassCodeLength);  // room for a typed hyphen or space
    codeEdit->setAccessibleName(QStringLiteral("Klassencode"));
    newCodeButton = new QPushButton(QStringLiteral("&Neuer Code"), this);
    newCodeButton->setObjectName(QStringLiteral("NewCode"));
    newCodeButton->setAutoDefault(false);
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(codeEdit);
    codeRow->addWidget(newCodeButton);

    keyLabel = new QLabel(this);
    keyLabel->setObjectName(QStringLiteral("TeacherKey"));
    keyLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    keyLabel->hide();

    seatSpin = new QSpinBox(this);
    seatSpin->setObjectName(QStringLiteral("Seat"));
    seatSpin->setRange(kLabFirstSeat, kLabLastSeat);
    seatSpin->setAccessibleName(QStringLiteral("Platz"));

    rectangularRadio = new QRadioButton(QStringLiteral("&rechtwinklig"), this);
    rectangularRadio->setObjectName(QStringLiteral("Rectangular"));
    rectangularRadio->setChecked(true);
    obliqueRadio = new QRadioButton(QStringLiteral("&schiefwinklig"), this);
    obliqueRadio->setObjectName(QStringLiteral("Oblique"));
    auto* levels = new QButtonGroup(this);
    levels->addButton(rectangularRadio);
    levels->addButton(obliqueRadio);
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(rectangularRadio);
    levelRow->addWidget(obliqueRadio);

    auto* form = new QFormLayout;
    auto* codeLabel = new QLabel(QStringLiteral("&Klassencode:"), this);
    codeLabel->setBuddy(codeEdit);
    form->addRow(codeLabel, codeRow);
    form->addRow(QString(), keyLabel);
    form->addRow(QStringLiteral("&Platz:"), seatSpin);
    form->addRow(QStringLiteral("Stufe:"), levelRow);

    problemLabel = new QLabel(this);
    problemLabel->setObjectName(QStringLiteral("LabProblem"));
    QPalette palette = problemLabel->palette();
    palette.setColor(QPalette::WindowText, kProblemColour);
    problemLabel->setPalette(palette);
    problemLabel->hide();

    teacherToggle = new QToolButton(this);
    teacherToggle->setObjectName(QStringLiteral("TeacherPart"));
    teacherToggle->setText(QStringLiteral("Für die &Lehrkraft"));
    teacherToggle->setCheckable(true);
    teacherToggle->setArrowType(Qt::RightArrow);
    teacherToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    teacherToggle->setAutoRaise(true);
    auto* teacherPart = new QWidget(this);
    keyEdit = new QLineEdit(teacherPart);
    keyEdit->setObjectName(QStringLiteral("TeacherKeyEdit"));
    keyEdit->setMaxLength(2 * kClassCodeLength);
    solutionButton = new QPushButton(QStringLiteral("Lösungen &zeigen"), teacherPart);
    solutionButton->setObjectName(QStringLiteral("ShowSolutions"));
    solutionButton->setAutoDefault(false);
    solutionText = new QPlainTextEdit(teacherPart);
    solutionText->setObjectName(QStringLiteral("Solutions"));
    solutionText->setReadOnly(true);
    solutionText->setLineWrapMode(QPlainTextEdit::NoWrap);
    solutionText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    solutionText->setAccessibleName(QStringLiteral("Lösungen"));
    solutionText->setMinimumHeight(12 * solutionText->fontMetrics().lineSpacing());
    solutionText->hide();
    auto* keyRow = new QHBoxLayout;
    auto* keyCaption = new QLabel(QStringLiteral("S&chlüssel:"), teacherPart);
    keyCaption->setBuddy(keyEdit);
    keyRow->addWidget(keyCaption);
    keyRow->addWidget(keyEdit);
    keyRow->addWidget(solutionButton);
    auto* teacherLayout = new QVBoxLayout(teacherPart);
    teacherLayout->setContentsMargins(0, 0, 0, 0);
    teacherLayout->addLayout(keyRow);
    teacherLayout->addWidget(solutionText);
    teacherPart->hide();
    connect(teacherToggle, &QToolButton::toggled, this, [this, teacherPart](bool open) {
        teacherToggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        teacherPart->setVisible(open);
        if (open) {
            keyEdit->setFocus();
        }
        adjustSize();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problemLabel);
    layout->addWidget(teacherToggle);
    layout->addWidget(teacherPart);
    layout->addWidget(buttons);

    connect(newCodeButton, &QPushButton::clicked, this, &LabDialog::NewCode);
    connect(solutionButton, &QPushButton::clicked, this, &LabDialog::ShowSolutions);
    keyEdit->installEventFilter(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LabDialog::OkClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    TranslateTexts(this);
}

// The code is all a crystal depends on; the system's random source makes it.
void LabDialog::NewCode()
{
    const std::string code = NewClassCode(QRandomGenerator::system()->generate64());
    codeEdit->setText(QString::fromStdString(code));
    keyLabel->setText(
        AppText("Schlüssel für die Lösungen: %1").arg(QString::fromStdString(TeacherKey(code))));
    keyLabel->show();
    problemLabel->hide();
}

// Enter in the key field asks for the solutions, not for the lab.
bool LabDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == keyEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ShowSolutions();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LabDialog::ShowProblem(const QString& text, QWidget* focus)
{
    problemLabel->setText(text);
    problemLabel->show();
    QAccessibleEvent shown(problemLabel, QAccessible::Alert);
    QAccessible::updateAccessibility(&shown);
    focus->setFocus();
}

void LabDialog::ShowSolutions()
{
    solutionText->hide();
    const QString typed = codeEdit->text();
    const std::optional<std::string> code = NormaliseClassCode(typed.toStdString());
    if (!code) {
        ShowProblem(AppText("Der Klassencode „%1“ ist ungültig.").arg(typed.trimmed()), codeEdit);
        return;
    }
    if (!IsTeacherKey(*code, keyEdit->text().toStdString())) {
        ShowProblem(AppText("Der Schlüssel gehört nicht zu diesem Klassencode."), keyEdit);
        return;
    }
    problemLabel->hide();
    solutionText->setPlainText(
        QString::fromStdString(SolutionTable(*code, QLocale().decimalPoint().toStdString())));
    solutionText->show();
    solutionText->setFocus();
    adjustSize();
}

void LabDialog::OkClicked()
{
    const QString typed = codeEdit->text();
    const std::optional<std::string> code = NormaliseClassCode(typed.toStdString());
    if (!code) {
        ShowProblem(AppText("Der Klassencode „%1“ ist ungültig.").arg(typed.trimmed()), codeEdit);
        return;
    }
    problemLabel->hide();
    codeEdit->setText(QString::fromStdString(*code));
    accept();
    start_(LabChoice{*code, seatSpin->value(),
                     obliqueRadio->isChecked() ? LabLevel::Oblique : LabLevel::Rectangular});
}

}  // namespace kb
