// The main window as created and as started: controls, panel geometry,
// spinner, minimum size, the once-only initialisation and the event wiring.

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/up_down.h"
#include "app_test_support.h"
#include "lesson/experiments.h"

using kb::TForm1;
using namespace kbtest;

namespace {

// Whether a line edit shows its whole text: moving the cursor to the end
// scrolls nothing.
bool ShowsWholeText(QLineEdit* edit)
{
    edit->setCursorPosition(0);
    const QImage start = edit->grab().toImage();
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
    const QImage end = edit->grab().toImage();
    edit->setCursorPosition(0);
    return start == end;
}

// Whether every line of a list box lies wholly inside it.
bool ShowsEveryLine(QListWidget* list)
{
    for (int i = 0; i < list->count(); ++i) {
        if (!list->viewport()->rect().contains(list->visualItemRect(list->item(i)))) {
            return false;
        }
    }
    return true;
}

// A widget's place in the client area below the menu bar.
QRect InWindow(const QWidget* widget)
{
    const auto* form = qobject_cast<const kb::TForm1*>(widget->window());
    const int top = form != nullptr ? form->ClientTop() : 0;
    return QRect(widget->mapTo(widget->window(), QPoint(0, -top)), widget->size());
}

void StartExperiment(TForm1& form, const QString& number)
{
    form.Edit2->setText(number);
    form.Button9->click();
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }

    void controlsAsCreated_data();
    void controlsAsCreated();
    void groupBackgrounds();
    void accessibleNames();
    void noTwoControlsShareAName();
    void experimentMenuStartsAsTyping();
    void windowAsCreated();
    void noCaptionClipped();

    void panelFollowsTheWindow();
    void minimumSizePerDimension_data();
    void minimumSizePerDimension();
    void spinnerStaysInRange();
    void aufhoerenCloses();
    void focusStartsInEdit2AndTabFollowsTheLayout();
    void readoutsAreReadOnly();
    void readoutFontOnePerSize_data();
    void readoutFontOnePerSize();
    void readoutsStayInTheDrawingArea();
    void readoutFontFollowsTheHeightOfAWideArea();
    void shortWindowScrollsThePanel();

    void startUpPanel();
    void initialisesOnceOnFirstShow();
    void noPassBeforeInitialisation();

    void checkBoxTwiceRestoresPicture_data();
    void checkBoxTwiceRestoresPicture();
    void radioItemChanges();
    void hiddenCheckBoxStillDraws();
    void resizeRunsOnePassRepaintNone();
};

void WindowTest::controlsAsCreated_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("checked");  // -1: not a check box

    auto row = [](const char* name, const char* parent, const char* caption, QRect geometry,
                  int checked = -1) {
        QTest::newRow(name) << QString::fromLatin1(parent) << QString::fromUtf8(caption) << geometry
                            << checked;
    };
    row("Image1", "Form1", "", {0, 0, 425, 313});
    row("Edit3", "DrawingArea", "Edit3", {0, 0, 89, 20});
    row("Edit4", "DrawingArea", "Edit4", {128, 0, 225, 22});
    row("ListBox1", "DrawingArea", "", {432, 0, 169, 233});
    row("GroupBox5", "Panel1", "Experiment Nr.", {8, 8, 105, 49});
    row("Button1", "Panel1", "Aufhören", {120, 16, 49, 41});
    row("GroupBox1", "Panel1", "Kristall drehen", {8, 64, 161, 113});
    row("GroupBox6", "Panel1", "Röntgenstrahl", {8, 184, 161, 41});
    row("GroupBox3", "Panel1", "Direktes Gitter", {8, 232, 161, 57});
    row("GroupBox7", "Panel1", "Winkel zeigen", {8, 296, 161, 57});
    row("GroupBox2", "Panel1", "Diffraktogramm", {8, 360, 161, 49});
    row("GroupBox4", "Panel1", "Reziprokes Gitter", {8, 416, 161, 145});
    row("Edit2", "GroupBox5", "1", {8, 16, 33, 28});
    row("UpDown1", "GroupBox5", "", {41, 16, 15, 28});
    row("Button9", "GroupBox5", "Start", {56, 18, 41, 25});
    row("Button3", "GroupBox1", "Start", {8, 16, 81, 25});
    row("Button6", "GroupBox1", "nächsterReflex", {8, 48, 81, 25});
    row("Button5", "GroupBox1", "Grundposition", {8, 80, 81, 25});
    row("Button2", "GroupBox1", "schneller", {96, 48, 57, 25});
    row("Button8", "GroupBox1", "langsamer", {96, 80, 57, 25});
    row("primaer", "GroupBox6", "primär", {8, 16, 57, 17}, 0);
    row("gebeugtCheck", "GroupBox6", "gebeugt", {88, 16, 57, 17}, 0);
    row("CheckBox5", "GroupBox3", "Gitterpunkte", {8, 16, 81, 17}, 1);
    row("CheckBox1", "GroupBox3", "Netzebenen", {8, 32, 81, 17}, 0);
    row("CheckBox7", "GroupBox3", "Achsen", {88, 16, 57, 17}, 1);
    row("CheckBox8", "GroupBox3", "Streuvekt.", {88, 32, 65, 17}, 0);
    row("CheckBox10", "GroupBox7", "Theta", {8, 16, 49, 17}, 0);
    row("CheckBox11", "GroupBox7", "2Theta", {88, 16, 65, 17}, 0);
    row("CheckBox12", "GroupBox7", "Omega", {8, 32, 73, 17}, 0);
    row("CheckBox2", "GroupBox2", "zeigen", {8, 21, 57, 17}, 0);
    row("Button7", "GroupBox2", "löschen", {88, 16, 65, 25});
    row("CheckBox3", "GroupBox4", "Streuvektor", {8, 16, 73, 17}, 0);
    row("CheckBox9", "GroupBox4", "Achsen", {88, 16, 57, 17}, 0);
    row("CheckBox4", "GroupBox4", "Ewaldkreis", {8, 32, 121, 17}, 0);
    row("CheckBox6", "GroupBox4", "Punkte auf d. Ewaldkreis", {8, 48, 145, 17}, 0);
    row("RadioGroup1", "GroupBox4", "Punkte im rez. Gitter", {8, 72, 145, 65});
}

void WindowTest::controlsAsCreated()
{
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(int, checked);

    TForm1 form;  // not shown: showing initialises and hides most of the panel
    QWidget* w = Control(form, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w != nullptr);
    QVERIFY(w->parentWidget() != nullptr);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
    QCOMPARE(text, caption);
    QCOMPARE(w->x(), geometry.x());
    QCOMPARE(w->y(), geometry.y());
    QCOMPARE(w->height(), geometry.height());
    QVERIFY2(w->width() >= geometry.width(), qPrintable(QString::number(w->width())));
    QVERIFY(!w->isHidden());
    if (checked >= 0) {
        QCOMPARE(qobject_cast<QCheckBox*>(w)->isChecked(), checked == 1);
    }
}

void WindowTest::groupBackgrounds()
{
    TForm1 form;
    const QList<QPair<const char*, QColor>> colours = {
        {"GroupBox1", QColor(0xFF, 0xFB, 0xF0)}, {"GroupBox6", QColor(0xFF, 0xE4, 0xB3)},
        {"GroupBox3", QColor(0xC0, 0xDC, 0xC0)}, {"GroupBox7", QColor(0xFE, 0xDE, 0xFE)},
        {"GroupBox2", QColor(0xA6, 0xCA, 0xF0)}, {"GroupBox4", QColor(0xED, 0xBD, 0xAF)}};
    for (const auto& [name, colour] : colours) {
        QWidget* group = Control(form, QString::fromLatin1(name));
        QVERIFY(group->autoFillBackground());
        QCOMPARE(group->palette().color(QPalette::Window), colour);
    }
}

void WindowTest::accessibleNames()
{
    TForm1 form;
    QCOMPARE(form.Edit2->accessibleName(), QStringLiteral("Experiment Nr."));
    QCOMPARE(Control(form, "UpDown1")->accessibleName(), QStringLiteral("Experiment Nr. wählen"));
    QCOMPARE(form.Edit3->accessibleName(), QStringLiteral("Omega"));
    QCOMPARE(form.Edit4->accessibleName(), QStringLiteral("Reflex"));
    QCOMPARE(form.ListBox1->accessibleName(), QStringLiteral("Messwerte"));
}

// A screen reader tells every control of the panel from every other, and
// the rotation toggle keeps its group when it says "Stop".
void WindowTest::noTwoControlsShareAName()
{
    TForm1 form;
    form.show();
    StartExperiment(form, QStringLiteral("0"));
    QMap<QString, QString> seen;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        if (w->objectName().isEmpty() || !w->isVisibleTo(&form) || face == nullptr ||
            !(face->role() == QAccessible::PushButton || face->role() == QAccessible::CheckBox ||
              face->role() == QAccessible::EditableText || face->role() == QAccessible::RadioButton)) {
            continue;
        }
        const QString name = face->text(QAccessible::Name);
        QVERIFY2(!seen.contains(name), qPrintable(name + " of " + w->objectName() + " and " + seen[name]));
        seen.insert(name, w->objectName());
    }
    QVERIFY(seen.size() > 20);
    QCOMPARE(form.Button9->text(), QStringLiteral("Start"));
    QCOMPARE(form.Button9->accessibleName(), QStringLiteral("Start: Experiment Nr."));
    QCOMPARE(form.CheckBox9->text(), QStringLiteral("Achsen"));
    form.Button3->click();
    QCOMPARE(form.Button3->text(), QStringLiteral("Stop"));
    QCOMPARE(form.Button3->accessibleName(), QStringLiteral("Stop: Kristall drehen"));
}

// Each lesson by number and title; choosing one starts it as typing its
// number and "Start" does, the notice about the crystal included.
void WindowTest::experimentMenuStartsAsTyping()
{
    TForm1 listed, typed;
    QMenu* menu = listed.findChild<QMenu*>(QStringLiteral("ExperimentMenu"));
    QVERIFY(menu != nullptr);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), static_cast<qsizetype>(kb::ExperimentCatalogue().size()));
    QCOMPARE(QString(actions.first()->text()).remove(QLatin1Char('&')),
             QStringLiteral("−1: Alle Optionen inaktiv"));
    QCOMPARE(QString(actions.last()->text()).remove(QLatin1Char('&')),
             QStringLiteral("14: Unbekannter Kristall"));
    for (TForm1* form : {&listed, &typed}) {
        form->show();
        QVERIFY(form->ApplyCrystal({300.f, 300.f, 90.f, 70.93f}).accepted);
    }
    actions[12 + 1]->trigger();
    StartExperiment(typed, QStringLiteral("12"));
    QCOMPARE(PanelSnapshot(listed), PanelSnapshot(typed));
    QString why;
    QVERIFY2(SameOps(listed.LatestPass(), typed.LatestPass(), &why), qPrintable(why));
    auto* notice = listed.findChild<QLabel*>(QStringLiteral("Notice"));
    QVERIFY(notice != nullptr && notice->isVisible() &&
            notice->text().contains(QLatin1String("Standardkristall")));
}

void WindowTest::windowAsCreated()
{
    TForm1 form;
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Kein Experiment aktiv"));
    QCOMPARE(form.ClientSize(), QSize(792, 568));
    QCOMPARE(InWindow(form.panelArea_), QRect(615, 0, 177, 568));
    QCOMPARE(form.Panel1->size(), QSize(177, 568));
    QCOMPARE(form.ListBox1->count(), 0);
    QCOMPARE(form.RadioGroup1ItemIndex(), 0);
    const QStringList items = {"nicht zeigen", "zeigen, falls reflektiert", "alle zeigen"};
    const auto radios = form.RadioGroup1->findChildren<QRadioButton*>();
    QCOMPARE(radios.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(radios[i]->text(), items[i]);
        QVERIFY(radios[i]->y() > (i == 0 ? 0 : radios[i - 1]->y()));
    }
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
    auto* spinner = Control<kb::UpDown>(form, "UpDown1");
    QCOMPARE(spinner->Minimum(), 1);
    QCOMPARE(spinner->Maximum(), 14);
    QCOMPARE(spinner->Position(), 1);
    QVERIFY(!form.Button9->isDefault() && !form.Button9->autoDefault());
}

// A caption is clipped when the control is narrower than it needs, when it
// leaves its parent, or when a sibling covers it.
void WindowTest::noCaptionClipped()
{
    TForm1 form;
    form.show();
    const QList<QAbstractButton*> controls = form.findChildren<QAbstractButton*>();
    for (QAbstractButton* c : controls) {
        if (qobject_cast<QToolButton*>(c)) {
            continue;  // the spinner's arrows have no caption
        }
        const QString name = c->objectName();
        QVERIFY2(
            c->width() >= c->sizeHint().width(),
            qPrintable(QStringLiteral("%1: %2 < %3").arg(name).arg(c->width()).arg(c->sizeHint().width())));
        QVERIFY2(c->geometry().right() < c->parentWidget()->width(), qPrintable(name + " leaves its parent"));
        // Layout rows touch by a pixel; what matters is the caption's run along its row.
        const int captionEnd = c->x() + c->sizeHint().width();
        for (QWidget* sibling : c->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool sameRow =
                std::abs(sibling->geometry().center().y() - c->geometry().center().y()) < c->height() / 2;
            if (sibling != c && sameRow && sibling->x() > c->x()) {
                QVERIFY2(sibling->x() >= captionEnd,
                         qPrintable(name + " runs into " + sibling->objectName()));
            }
        }
    }
}

void WindowTest::panelFollowsTheWindow()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const QSize size : {QSize(1000, 568), QSize(1000, 800), QSize(700, 500)}) {
        form.ResizeClient(size);
        QTRY_COMPARE(form.ClientSize(), size);
        QCOMPARE(InWindow(form.Panel1), QRect(size.width() - 177, 0, 177, size.height()));
        QCOMPARE(form.GroupBox5->pos(), QPoint(8, 8));
        QCOMPARE(form.GroupBox4->pos(), QPoint(8, 416));
        QCOMPARE(InWindow(form.drawingArea_), QRect(0, 0, size.width() - 177, size.height()));
    }
}

void WindowTest::minimumSizePerDimension_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("in order") << QSize(700, 500) << QSize(700, 500);
    QTest::newRow("too narrow") << QSize(639, 600) << QSize(640, 600);
    QTest::newRow("too low") << QSize(1000, 479) << QSize(1000, 480);
    QTest::newRow("dragged to 1000x400") << QSize(1000, 400) << QSize(1000, 480);
    QTest::newRow("both") << QSize(100, 100) << QSize(640, 480);
}

void WindowTest::minimumSizePerDimension()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.minimumSize(), QSize(640, 480 + form.ClientTop()));
    form.ResizeClient(requested);
    QTRY_COMPARE(form.ClientSize(), expected);
    QCOMPARE(form.Panel1->height(), expected.height());
}

void WindowTest::spinnerStaysInRange()
{
    TForm1 form;
    form.show();
    auto* spinner = Control<kb::UpDown>(form, "UpDown1");
    const auto arrows = spinner->findChildren<QToolButton*>();
    QCOMPARE(arrows.size(), 2);
    QToolButton* up = arrows[0]->arrowType() == Qt::UpArrow ? arrows[0] : arrows[1];
    QToolButton* down = up == arrows[0] ? arrows[1] : arrows[0];

    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(form.Edit2->text(), QStringLiteral("2"));
    for (int i = 0; i < 20; ++i) QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(form.Edit2->text(), QStringLiteral("14"));
    QCOMPARE(spinner->Position(), 14);
    for (int i = 0; i < 20; ++i) QTest::keyClick(form.Edit2, Qt::Key_Down);
    QCOMPARE(form.Edit2->text(), QStringLiteral("1"));
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(form.Edit2->text(), QStringLiteral("1"));  // no wrap-around
    QTest::keyClick(form.Edit2, Qt::Key_Up);
    QCOMPARE(form.Edit2->text(), QStringLiteral("2"));

    // The box takes any text; the spinner does not follow it out of range.
    form.Edit2->clear();
    QTest::keyClicks(form.Edit2, QStringLiteral("99x<b>"));
    QCOMPARE(form.Edit2->text(), QStringLiteral("99x<b>"));
    form.Edit2->setText(QStringLiteral("40"));
    QTest::keyClick(form.Edit2, Qt::Key_Up);
    QCOMPARE(form.Edit2->text(), QStringLiteral("14"));
    form.Edit2->setText(QStringLiteral("-5"));
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(form.Edit2->text(), QStringLiteral("1"));
    QVERIFY(spinner->Position() >= 1 && spinner->Position() <= 14);
    QCOMPARE(form.windowTitle(), QStringLiteral("Kein Experiment aktiv"));  // stepping starts nothing
}

void WindowTest::aufhoerenCloses()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Button9->click();  // experiment 1 shows the rotation group
    form.Button3->click();
    QVERIFY(form.Timer1->isActive());
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QVERIFY(!form.isVisible());
}

void WindowTest::focusStartsInEdit2AndTabFollowsTheLayout()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.focusWidget(), form.Edit2);
    QTest::keyClicks(form.focusWidget(), QStringLiteral("7"));
    QCOMPARE(form.Edit2->text(), QStringLiteral("7"));
    QTest::keyClick(form.Edit2, Qt::Key_Return);  // starts the lesson as "Start" does
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 7: ") +
                                     QString::fromUtf8(kb::FindExperiment(7)->title.data(),
                                                       qsizetype(kb::FindExperiment(7)->title.size())));

    StartExperiment(form, QStringLiteral("0"));  // every control shown
    form.Button6->click();                       // and with a reflex, the list
    const QStringList forward = {
        "Button9",   "Button1",      "Edit3",      "Edit4",      "ListBox1",         "Button3",   "Button6",
        "Button5",   "Button2",      "Button8",    "Button7",    "CheckBox2",        "CheckBox1", "CheckBox5",
        "CheckBox7", "CheckBox8",    "CheckBox3",  "CheckBox4",  "RadioGroup1Item2", "CheckBox6", "CheckBox9",
        "primaer",   "gebeugtCheck", "CheckBox10", "CheckBox11", "CheckBox12",       "Edit2"};
    QStringList backward(forward.crbegin() + 1, forward.crend());
    backward << "Edit2";
    for (const auto& [key, expected] :
         {std::pair{Qt::Key_Tab, forward}, std::pair{Qt::Key_Backtab, backward}}) {
        form.Edit2->setFocus();
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(form.focusWidget(), key);
            visited << form.focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    // The arrow keys move between the radio items and select them; Tab then
    // enters the group at the new item.
    form.RadioGroup1->findChild<QWidget*>(QStringLiteral("RadioGroup1Item2"))->setFocus();
    QTest::keyClick(form.focusWidget(), Qt::Key_Up);
    QCOMPARE(form.RadioGroup1ItemIndex(), 1);
    form.CheckBox4->setFocus();
    QTest::keyClick(form.CheckBox4, Qt::Key_Tab);
    QCOMPARE(form.focusWidget()->objectName(), QStringLiteral("RadioGroup1Item1"));
}

void WindowTest::readoutsAreReadOnly()
{
    TForm1 form;
    form.show();
    StartExperiment(form, QStringLiteral("0"));
    form.Button6->click();
    for (QLineEdit* readout : {form.Edit3, form.Edit4}) {
        const QString text = readout->text();
        readout->setFocus();
        QTest::keyClicks(readout, QStringLiteral("7x"));
        QTest::keyClick(readout, Qt::Key_Backspace);
        QCOMPARE(readout->text(), text);
        QVERIFY(QAccessible::queryAccessibleInterface(readout)->state().readOnly);
    }
}

// On a wide drawing area the height sets the scene's scale, and with it the
// readouts' size: a taller window of the same width gets larger fonts.
void WindowTest::readoutFontFollowsTheHeightOfAWideArea()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    int lowHeight = 0;
    for (const QSize size : {QSize(1600, 640), QSize(1600, 1000)}) {
        form.ResizeClient(size);
        QTRY_COMPARE(form.ClientSize(), size);
        StartExperiment(form, QStringLiteral("0"));
        QVERIFY(QFontMetrics(form.Edit3->font()).height() > lowHeight && ShowsWholeText(form.Edit3));
        lowHeight = QFontMetrics(form.Edit3->font()).height();
    }
}

void WindowTest::readoutFontOnePerSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("640x480") << QSize(640, 480);
    QTest::newRow("792x568") << QSize(792, 568);
    QTest::newRow("1600x1000") << QSize(1600, 1000);
}

// Each box has one font per window size, in which every text it can show
// fits whole: it never changes while the crystal turns.
void WindowTest::readoutFontOnePerSize()
{
    QFETCH(QSize, size);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.ResizeClient(size);
    QTRY_COMPARE(form.ClientSize(), size);
    StartExperiment(form, QStringLiteral("0"));

    const QFont omegaFont = form.Edit3->font();
    for (const double degrees : {0.0, 10.0, 100.0, 359.9}) {
        form.State().Omega = static_cast<float>(degrees * kb::kDegToRad);
        form.DrawScene();
        QCOMPARE(form.Edit3->font(), omegaFont);
        QVERIFY2(ShowsWholeText(form.Edit3), qPrintable(form.Edit3->text()));
    }

    form.Button6->click();
    const QFont reflexFont = form.Edit4->font();
    const QFont listFont = form.ListBox1->font();
    for (int i = 0; i < form.State().ReflexCount; ++i) {
        QCOMPARE(form.Edit4->font(), reflexFont);
        QCOMPARE(form.ListBox1->font(), listFont);
        QVERIFY2(ShowsWholeText(form.Edit4), qPrintable(form.Edit4->text()));
        QVERIFY2(ShowsEveryLine(form.ListBox1), qPrintable(form.Edit4->text()));
        form.Button6->click();
    }
    form.Button5->click();  // ground position: no reflex
    QCOMPARE(form.Edit4->text(), QStringLiteral("Bragg-Bedingung nicht erfüllt"));
    QCOMPARE(form.Edit4->font(), reflexFont);
    QVERIFY(ShowsWholeText(form.Edit4));
}

// Without a reflex Edit4 keeps its place, but a resize gives it the place and
// font of the new size; no readout reaches over the panel.
void WindowTest::readoutsStayInTheDrawingArea()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.ResizeClient(QSize(1920, 1080));
    QTRY_COMPARE(form.ClientSize(), QSize(1920, 1080));
    StartExperiment(form, QStringLiteral("1"));
    StartExperiment(form, QStringLiteral("6"));
    form.Button6->click();  // a reflex places Edit4 for this size
    form.Button5->click();
    for (const QSize size : {QSize(792, 568), QSize(1600, 1000)}) {
        form.ResizeClient(size);
        QTRY_COMPARE(form.ClientSize(), size);
        QCOMPARE(form.Edit4->text(), QStringLiteral("Bragg-Bedingung nicht erfüllt"));
        const QRect place = form.Edit4->geometry();
        const QFont font = form.Edit4->font();
        for (QWidget* readout : QWidgetList{form.Edit3, form.Edit4, form.ListBox1}) {
            QCOMPARE(readout->parentWidget(), form.drawingArea_);
            QVERIFY2(form.drawingArea_->rect().contains(readout->geometry()),
                     qPrintable(readout->objectName()));
        }
        QVERIFY(!InWindow(form.drawingArea_).intersects(InWindow(form.panelArea_)));
        form.Button6->click();
        QCOMPARE(form.Edit4->geometry(), place);
        QCOMPARE(form.Edit4->font(), font);
        form.Button5->click();
    }
}

// On a window shorter than the groups shown the panel scrolls, its bar
// beside the drawing area; Tab brings each control it reaches into view.
void WindowTest::shortWindowScrollsThePanel()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ResizeClient(QSize(640, 480));
    QTRY_COMPARE(form.ClientSize(), QSize(640, 480));
    const QScrollBar* bar = form.panelArea_->verticalScrollBar();
    QVERIFY(!bar->isVisible());  // "Experiment Nr." alone fits
    StartExperiment(form, QStringLiteral("0"));
    form.Button6->click();
    QVERIFY(bar->isVisible());
    QCOMPARE(form.Panel1->width(), 177);
    QCOMPARE(form.drawingArea_->geometry().right() + 1, form.panelArea_->x());
    QCOMPARE(InWindow(form.panelArea_).right(), 639);

    const QRect viewport = InWindow(form.panelArea_->viewport());
    QSet<QWidget*> reached;
    form.Edit2->setFocus(Qt::TabFocusReason);
    do {
        QWidget* focus = form.focusWidget();
        const QRect shown = form.Panel1->isAncestorOf(focus) ? viewport : InWindow(form.drawingArea_);
        QVERIFY2(shown.contains(InWindow(focus)), qPrintable(focus->objectName()));
        reached.insert(focus);
        QTest::keyClick(focus, Qt::Key_Tab);
    } while (form.focusWidget() != form.Edit2 && reached.size() < 100);
    for (QWidget* control : form.Panel1->findChildren<QWidget*>()) {
        if (control->isVisibleTo(&form) && (control->focusPolicy() & Qt::TabFocus)) {
            QVERIFY2(reached.contains(control), qPrintable(control->objectName()));
        }
    }

    // Scrolled to the end, the last group shows; entering the panel from
    // the readouts brings "Aufhören" back into view.
    form.panelArea_->verticalScrollBar()->setValue(bar->maximum());
    QVERIFY(viewport.contains(InWindow(form.GroupBox4)));
    form.Edit3->setFocus();
    QTest::keyClick(form.Edit3, Qt::Key_Backtab);
    QCOMPARE(form.focusWidget(), form.Button1);
    QVERIFY(viewport.contains(InWindow(form.Button1)));
    form.ResizeClient(QSize(792, 568));
    QTRY_COMPARE(form.ClientSize(), QSize(792, 568));
    QVERIFY(!bar->isVisible());
    QCOMPARE(InWindow(form.Panel1), QRect(615, 0, 177, 568));
}

void WindowTest::startUpPanel()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QStringList alwaysShown = {"Panel1",  "GroupBox5", "Edit2", "UpDown1",
                                     "Button9", "Button1",   "Edit3"};
    for (const QString& name : alwaysShown) {
        QVERIFY2(Shown(form, name), qPrintable(name));
    }
    for (const QString& name :
         kGroups + kOptionalControls + QStringList{"Edit4", "ListBox1", "RadioGroup1"}) {
        QVERIFY2(!Shown(form, name), qPrintable(name));
    }
    for (const QString& name : kCheckBoxes) {
        QVERIFY2(!Checked(form, name), qPrintable(name));
    }
    QCOMPARE(form.RadioGroup1ItemIndex(), 0);
    QCOMPARE(form.Edit2->text(), QStringLiteral("1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Kein Experiment aktiv"));
    QCOMPARE(form.Button3->text(), QStringLiteral("Start"));
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!form.State().ShowReadouts);
    QVERIFY(form.State().ShowIndexLabels);
    QCOMPARE(form.State().ActiveReflex, -1);
    QCOMPARE(form.State().ReflexCount, 56);
}

void WindowTest::initialisesOnceOnFirstShow()
{
    TForm1 form;
    QCOMPARE(form.ScenePassCount(), 0);
    form.show();
    // The reset unchecks the two boxes the layout starts checked (one pass
    // each), then the initialisation draws once.
    QCOMPARE(form.ScenePassCount(), 3);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCoreApplication::processEvents();
    QCOMPARE(form.ScenePassCount(), 3);

    form.Edit2->setText(QStringLiteral("5"));
    form.Button9->click();
    const auto panel = PanelSnapshot(form);
    const int passes = form.ScenePassCount();

    // Leaving and coming back, or hiding and showing, set nothing up afresh.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.hide();
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCoreApplication::processEvents();
    QCOMPARE(form.windowTitle(), QStringLiteral("Experiment 5: Streuvektor"));
    QCOMPARE(PanelSnapshot(form), panel);
    QCOMPARE(form.ScenePassCount(), passes);
}

void WindowTest::noPassBeforeInitialisation()
{
    TForm1 form;
    form.ResizeClient(QSize(900, 700));
    form.update();
    QCoreApplication::processEvents();
    form.CheckBox3->setChecked(true);
    form.SetRadioGroup1ItemIndex(2);
    form.DrawScene();
    QCOMPARE(form.ScenePassCount(), 0);
    QVERIFY(form.LatestPass().ops.empty());
    QCOMPARE(form.Edit3->text(), QStringLiteral("Edit3"));
}

void WindowTest::checkBoxTwiceRestoresPicture_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : kCheckBoxes) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void WindowTest::checkBoxTwiceRestoresPicture()
{
    QFETCH(QString, name);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit2->setText(QStringLiteral("0"));  // every option shown
    form.Button9->click();
    form.Button6->click();  // with a reflection, so every layer draws
    form.DrawScene();
    const kb::DrawList before = form.LatestPass();
    const int passes = form.ScenePassCount();

    auto* box = Control<QCheckBox>(form, name);
    QVERIFY(box->isVisible());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QCOMPARE(form.ScenePassCount(), passes + 1);
    QString why;
    QVERIFY2(!SameOps(before, form.LatestPass()), qPrintable(name + " changes nothing"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QCOMPARE(form.ScenePassCount(), passes + 2);
    QVERIFY2(SameOps(before, form.LatestPass(), &why), qPrintable(why));
}

void WindowTest::radioItemChanges()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9->click();
    QCOMPARE(form.RadioGroup1ItemIndex(), 2);
    const auto radios = form.RadioGroup1->findChildren<QRadioButton*>();
    int passes = form.ScenePassCount();

    QTest::mouseClick(radios[2], Qt::LeftButton, {}, QPoint(6, radios[2]->height() / 2));
    form.SetRadioGroup1ItemIndex(2);
    QCOMPARE(form.ScenePassCount(), passes);  // already selected: nothing runs

    for (int item : {0, 1, 2, 1}) {
        QTest::mouseClick(radios[item], Qt::LeftButton, {}, QPoint(6, radios[item]->height() / 2));
        QCOMPARE(form.RadioGroup1ItemIndex(), item);
        QCOMPARE(form.ScenePassCount(), ++passes);
    }
    form.SetRadioGroup1ItemIndex(0);
    QCOMPARE(form.ScenePassCount(), ++passes);
    QCOMPARE(RedDiscCount(form.LatestPass()), 0);
    form.SetRadioGroup1ItemIndex(2);
    QCOMPARE(form.ScenePassCount(), ++passes);
    QCOMPARE(RedDiscCount(form.LatestPass()), 56);  // "alle zeigen": every table entry
}

void WindowTest::hiddenCheckBoxStillDraws()
{
    TForm1 form;
    form.show();
    const int passes = form.ScenePassCount();
    QVERIFY(!form.CheckBox5->isVisibleTo(&form));
    form.CheckBox5->setChecked(true);
    QCOMPARE(form.ScenePassCount(), passes + 1);
    int rings = 0;
    for (const kb::DrawOp& op : form.LatestPass().ops) {
        if (op.kind == kb::DrawOpKind::Ellipse && op.pen.colour == kb::kBlue) ++rings;
    }
    QCOMPARE(rings, 63);  // 9 x 7 lattice points
    form.CheckBox5->setChecked(true);
    QCOMPARE(form.ScenePassCount(), passes + 1);  // same state: nothing runs
}

void WindowTest::resizeRunsOnePassRepaintNone()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    const int passes = form.ScenePassCount();
    form.ResizeClient(QSize(900, 650));
    QTRY_COMPARE(form.ClientSize(), QSize(900, 650));
    QCoreApplication::processEvents();
    QCOMPARE(form.ScenePassCount(), passes + 1);
    QCOMPARE(form.State().ViewWidth, 900.0f - 177.0f);

    form.update();
    form.drawingArea_->update();
    QCoreApplication::processEvents();
    form.repaint();
    form.drawingArea_->repaint();
    (void)form.drawingArea_->grab();
    QCOMPARE(form.ScenePassCount(), passes + 1);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
