// The lab in the window: the dialog by its shortcut, "Messskala", the cursor
// by the keys and the mouse on the drawing area, what the lab turns off in the
// menus, and the diffractogram from the command line.

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/command_line.h"
#include "app/lab_dialog.h"
#include "app_test_support.h"
#include "model/peak_match.h"
#include "model/unknown_crystal.h"
#include "render/scene.h"

using kb::TForm1;
using namespace kbtest;

namespace {

QAction* Action(TForm1& form, const char* name)
{
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

// Through the menu's shortcut and the dialog, as a student does.
void StartLabByKeys(TForm1& form, const QString& code, int seat)
{
    form.Edit2->setFocus();
    QTest::keyClick(form.Edit2, Qt::Key_U, Qt::ControlModifier);
    auto* dialog = form.findChild<kb::LabDialog*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    dialog->codeEdit->setText(code);
    dialog->seatSpin->setValue(seat);
    dialog->okButton->click();
}

}  // namespace

class LabWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void labByKeysScaleAndCursor();
    void exportDiffractogram_data();
    void exportDiffractogram();
    void solutionsOnlyWithTheKey();
};

void LabWindowTest::labByKeysScaleAndCursor()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    kb::Session& lab = form.Lesson();
    QVERIFY(!(form.drawingArea_->focusPolicy() & Qt::TabFocus));  // no scale, no cursor to move

    StartLabByKeys(form, QStringLiteral("ÄÖÜ"), 3);
    auto* dialog = form.findChild<kb::LabDialog*>();
    QVERIFY(dialog->isVisible() && !lab.InLab());
    QCOMPARE(dialog->problemLabel->text(), QStringLiteral("Der Klassencode „ÄÖÜ“ ist ungültig."));
    dialog->reject();
    StartLabByKeys(form, QStringLiteral("k7mx4p"), 3);
    QVERIFY(lab.InLab());
    QCOMPARE(form.windowTitle(), QStringLiteral("Unbekannter Kristall (Code K7MX4P, Platz 3)"));
    QVERIFY(Shown(form, "GroupBox8") && !Shown(form, "GroupBox4") && !Shown(form, "GroupBox3"));
    QVERIFY(Action(form, "MeasureScaleAction")->isChecked());
    QVERIFY(!Action(form, "CrystalAction")->isEnabled());
    form.TurnCrystal(360.0);
    QVERIFY(!Action(form, "SaveValuesAction")->isEnabled());
    QVERIFY(Action(form, "SaveDiffractogramAction")->isEnabled());

    // Tab reaches the drawing area; the arrows, Shift and "S" move the cursor.
    QVERIFY(form.drawingArea_->focusPolicy() & Qt::TabFocus);
    form.drawingArea_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.drawingArea_, Qt::Key_Right);
    QCOMPARE(lab.CursorDeg().value_or(-1.0), kb::kCursorStepDeg);
    QTest::keyClick(form.drawingArea_, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(form.drawingArea_, Qt::Key_Left);
    QCOMPARE(QString::number(lab.CursorDeg().value_or(-1.0), 'f', 2), QStringLiteral("1.00"));
    QTest::keyClick(form.drawingArea_, Qt::Key_S);
    const std::vector<double> peaks = kb::MeasuredPeaks(form.State());
    QVERIFY(!peaks.empty());
    QVERIFY2(std::fabs(*lab.CursorDeg() - peaks.front()) <= 0.3,
             qPrintable(QString::number(*lab.CursorDeg())));
    QCOMPARE(form.ListBox1->item(0)->text(), QString::fromStdString(lab.CursorReading()));

    // A press on the curve's band sets it there.
    const kb::PlotFrame frame = kb::DiffractogramFrame(form.State());
    const QPoint at(static_cast<int>(frame.zeroX + 60.0 * frame.pxPerDeg), frame.axisY - 2);
    QTest::mousePress(form.drawingArea_, Qt::LeftButton, Qt::NoModifier, at);
    QVERIFY(std::fabs(*lab.CursorDeg() - 60.0) < 1.0 / frame.pxPerDeg);
    QTest::mouseRelease(form.drawingArea_, Qt::LeftButton, Qt::NoModifier, at);

    // The verdict reaches a screen reader through the list.
    form.Edit5->setText(QStringLiteral("300"));
    form.Edit6->setText(QStringLiteral("400"));
    form.Edit7->setText(QStringLiteral("95,5"));
    QTest::keyClick(form.Edit7, Qt::Key_Return);
    QCOMPARE(lab.GuessCount(), 1);
    QVERIFY(QAccessible::queryAccessibleInterface(form.ListBox1)
                ->text(QAccessible::Description)
                .contains(QString::fromStdString(lab.Verdict()).section(',', 0, 0)));

    // Ctrl+M, from the focused area, turns the scale off: no cursor, no Tab stop.
    QTest::keyClick(form.drawingArea_, Qt::Key_M, Qt::ControlModifier);
    QVERIFY(!lab.MeasureScale() && !lab.CursorDeg());
    QVERIFY(!Action(form, "MeasureScaleAction")->isChecked());
    QVERIFY(!(form.drawingArea_->focusPolicy() & Qt::TabFocus));
    QVERIFY(!form.drawingArea_->hasFocus());

    // A lesson leaves the lab: its menus back, the group and the scale gone.
    form.Edit2->setText(QStringLiteral("14"));
    form.Button9->click();
    QVERIFY(!lab.InLab() && !Shown(form, "GroupBox8"));
    QVERIFY(Action(form, "CrystalAction")->isEnabled());
    QVERIFY(!Action(form, "MeasureScaleAction")->isChecked());
    QCOMPARE(form.State().Crystal, kb::kStandardCrystal);
}

void LabWindowTest::solutionsOnlyWithTheKey()
{
    kb::LabDialog dialog(nullptr, [](const kb::LabChoice&) {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.keyEdit->isVisible());
    dialog.teacherToggle->click();
    QVERIFY(dialog.keyEdit->isVisible() && dialog.keyEdit->hasFocus());
    dialog.newCodeButton->click();
    const std::string code = dialog.codeEdit->text().toStdString();
    const QString key = QString::fromStdString(kb::TeacherKey(code));
    QVERIFY(dialog.keyLabel->text().endsWith(key));

    // Another code's key opens nothing; the code's own shows all seats.
    dialog.keyEdit->setText(QString::fromStdString(kb::TeacherKey("K7MX4P")));
    dialog.solutionButton->click();
    QVERIFY(!dialog.solutionText->isVisible());
    QCOMPARE(dialog.problemLabel->text(),
             QStringLiteral("Der Schlüssel gehört nicht zu diesem Klassencode."));
    dialog.keyEdit->setText(key.toLower());
    QTest::keyClick(dialog.keyEdit, Qt::Key_Return);  // not the dialog's "OK"
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.solutionText->isVisible() && !dialog.problemLabel->isVisible());
    QCOMPARE(dialog.solutionText->toPlainText().toStdString(), kb::SolutionTable(code, ","));
}

void LabWindowTest::exportDiffractogram_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("csv") << "kurve.csv";
    QTest::newRow("xlsx") << "kurve.xlsx";
}

void LabWindowTest::exportDiffractogram()
{
    QFETCH(QString, file);
    QTemporaryDir out;
    const QString path = out.filePath(file);
    const kb::CommandLineParse parsed = kb::ParseCommandLine(
        {"kristallbeugung", "--experiment", "4", "--turn", "360", "--export-diffractogram", path});
    QVERIFY2(parsed.request.has_value(), qPrintable(parsed.text));
    TForm1 form;
    kb::ApplyRequest(*parsed.request, form);
    QCOMPARE(kb::WriteExports(*parsed.request, form), QString());
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    if (file.endsWith(QLatin1String(".xlsx"))) {
        QVERIFY(bytes.startsWith("PK"));
        return;
    }
    const QList<QByteArray> lines = bytes.trimmed().split('\n');
    QCOMPARE(lines.size(), 1 + kb::kDiffractogramBins);
    QCOMPARE(lines.front(), QByteArray("\xEF\xBB\xBF"
                                       "2Theta (°);Intensität"));
    QCOMPARE(lines[1], QByteArray("\"0,0\";\"0,0000\""));  // quoted, as the values table
    QCOMPARE(lines.back().split(';').front(), QByteArray("\"180,3\""));
    // A full turn of lesson 4 records the standard crystal's peaks: some bins are above zero.
    QVERIFY(std::any_of(lines.begin() + 1, lines.end(),
                        [](const QByteArray& l) { return !l.endsWith(";\"0,0000\""); }));
}

QTEST_MAIN(LabWindowTest)
#include "lab_test.moc"
