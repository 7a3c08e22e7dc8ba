#include "main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include "compact_style.h"
#include "lesson/experiments.h"
#include "paint/painter.h"
#include "up_down.h"
#include "window_placement.h"

namespace kb {
namespace {

constexpr int kWindowFontPx = 11;
constexpr int kEdit2FontPx = 16;
constexpr int kEdit3FontPx = 11;
constexpr int kEdit4FontPx = 13;
constexpr int kListFontPx = 11;
const char* const kWindowFace = "MS Sans Serif";
const char* const kArialFace = "Arial";
const char* const kReadoutFace = "Arial";
constexpr Colour kEdit4Background = 0xE1FDF4;
constexpr int kPanelBottomMarginPx = 7;  // below the lowest group, as in the layout's 568-pixel panel

void SetBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect geometry,
                     const QColor& background)
{
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(geometry);
    SetBackground(group, background);
    return group;
}

// The layout's sizes are those of a narrow 8-point face; a wider interface
// font would clip a caption, so a control grows to its caption's need.
template <typename Control>
Control* Place(Control* control, const char* name, QRect geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    const int needed = control->sizeHint().width();
    if (needed > geometry.width() && control->parentWidget() != nullptr) {
        const int room = control->parentWidget()->width() - geometry.left() - 2;
        geometry.setWidth(std::min(std::max(needed, geometry.width()), std::max(room, geometry.width())));
    }
    control->setGeometry(geometry);
    return control;
}

QStyle* PanelStyle()
{
    static CompactStyle* style = new CompactStyle;
    return style;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setStyle(PanelStyle());
    return Place(button, name, geometry);
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, QRect geometry, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setStyle(PanelStyle());
    box->setChecked(checked);
    return Place(box, name, geometry);
}

// A readout shows computed values: read-only, yet in the tab order, so that
// the keyboard and a screen reader reach it. A flat one-pixel border and no
// text margins of its own, as the box sizes of the scene pass assume.
QLineEdit* MakeReadout(QWidget* parent, const char* name, const QString& text, QRect geometry, int fontPx,
                       const QColor& background, const QString& accessibleName)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    edit->setFont(ControlFont(QString::fromLatin1(kArialFace), fontPx));
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setTextMargins(0, 0, 0, 0);
    edit->setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid #808080; padding: 0px; background: %1; }"
                       "QLineEdit:focus { border-color: palette(highlight); }")
            .arg(background.name()));
    edit->setAccessibleName(accessibleName);
    return edit;
}

}  // namespace

TForm1::TForm1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/kristallbeugung.svg")));
    setFont(ControlFont(QString::fromLatin1(kWindowFace), kWindowFontPx));
    SetBackground(this, palette().color(QPalette::Button));
    BuildLayout();
    BuildMenuBar();
    WireEvents();
    SetUpKeys();
    SetUpAccessibility();
    // The sizes of the layout are those of the client area below the menu bar.
    setMinimumSize(kMinWindowWidthPx, kMinWindowHeightPx + ClientTop());
    resize(kInitialClientWidthPx, kInitialClientHeightPx + ClientTop());
    move(kInitialLeftPx, kInitialTopPx);
    LayoutClientArea();
    IndexControls();
    // Made at the layout's size: Edit4's layout place belongs to it.
    session_ = std::make_unique<Session>(static_cast<Panel&>(*this), metrics_);
    // A lesson number can be typed straight away, replacing the "1".
    Edit2->setFocus();
    Edit2->selectAll();
    RetranslateUi();
}

TForm1::~TForm1() = default;

void TForm1::BuildLayout()
{
    drawingArea_ = new DrawingArea(this);
    drawingArea_->setObjectName(QStringLiteral("DrawingArea"));

    Image1 = new QWidget(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 425, 313);
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image1->setAttribute(Qt::WA_NoSystemBackground);
    Image1->setFocusPolicy(Qt::NoFocus);

    panelArea_ = new QScrollArea(this);
    panelArea_->setObjectName(QStringLiteral("PanelArea"));
    panelArea_->setFrameShape(QFrame::NoFrame);
    panelArea_->setFocusPolicy(Qt::NoFocus);
    panelArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Panel1 = new QFrame;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->resize(kPanelWidthPx, kInitialClientHeightPx);
    SetBackground(Panel1, palette().color(QPalette::Button));
    panelArea_->setWidget(Panel1);
    panelArea_->setGeometry(615, 0, kPanelWidthPx, kInitialClientHeightPx);

    const QColor window = palette().color(QPalette::Base);
    Edit3 = MakeReadout(drawingArea_, "Edit3", QStringLiteral("Edit3"), QRect(0, 0, 89, 20), kEdit3FontPx,
                        window, QStringLiteral("Omega"));
    Edit4 = MakeReadout(drawingArea_, "Edit4", QStringLiteral("Edit4"), QRect(128, 0, 225, 22), kEdit4FontPx,
                        ToQColor(kEdit4Background), QStringLiteral("Reflex"));
    ListBox1 = new QListWidget(drawingArea_);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(432, 0, 169, 233);
    ListBox1->setFont(ControlFont(QString::fromLatin1(kArialFace), kListFontPx));
    ListBox1->setFrameStyle(QFrame::Box | QFrame::Plain);
    ListBox1->setLineWidth(1);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setAccessibleName(QStringLiteral("Messwerte"));
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(static_cast<int>(kTimerIntervalMsAtCreation));
    Timer1->setTimerType(Qt::PreciseTimer);

    const QColor face = palette().color(QPalette::Button);
    GroupBox5 = MakeGroup(Panel1, "GroupBox5", QStringLiteral("Experiment Nr."), QRect(8, 8, 105, 49), face);
    Button1 = MakeButton(Panel1, "Button1", QStringLiteral("Aufhören"), QRect(120, 16, 49, 41));
    GroupBox1 = MakeGroup(Panel1, "GroupBox1", QStringLiteral("Kristall drehen"), QRect(8, 64, 161, 113),
                          QColor(0xFF, 0xFB, 0xF0));
    GroupBox6 = MakeGroup(Panel1, "GroupBox6", QStringLiteral("Röntgenstrahl"), QRect(8, 184, 161, 41),
                          QColor(0xFF, 0xE4, 0xB3));
    GroupBox3 = MakeGroup(Panel1, "GroupBox3", QStringLiteral("Direktes Gitter"), QRect(8, 232, 161, 57),
                          QColor(0xC0, 0xDC, 0xC0));
    GroupBox7 = MakeGroup(Panel1, "GroupBox7", QStringLiteral("Winkel zeigen"), QRect(8, 296, 161, 57),
                          QColor(0xFE, 0xDE, 0xFE));
    GroupBox2 = MakeGroup(Panel1, "GroupBox2", QStringLiteral("Diffraktogramm"), QRect(8, 360, 161, 49),
                          QColor(0xA6, 0xCA, 0xF0));
    GroupBox4 = MakeGroup(Panel1, "GroupBox4", QStringLiteral("Reziprokes Gitter"), QRect(8, 416, 161, 145),
                          QColor(0xED, 0xBD, 0xAF));

    Edit2 = new QLineEdit(QStringLiteral("1"), GroupBox5);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(8, 16, 33, 28);
    Edit2->setFont(ControlFont(QString::fromLatin1(kWindowFace), kEdit2FontPx));
    Edit2->setAccessibleName(QStringLiteral("Experiment Nr."));
    UpDown1 = new UpDown(Edit2, GroupBox5);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(41, 16, 15, 28);
    UpDown1->SetRange(1, kHighestExperiment);
    UpDown1->setAccessibleName(QStringLiteral("Experiment Nr. wählen"));
    Button9 = MakeButton(GroupBox5, "Button9", QStringLiteral("Start"), QRect(56, 18, 41, 25));

    Button3 = MakeButton(GroupBox1, "Button3", QStringLiteral("Start"), QRect(8, 16, 81, 25));
    Button6 = MakeButton(GroupBox1, "Button6", QStringLiteral("nächsterReflex"), QRect(8, 48, 81, 25));
    Button5 = MakeButton(GroupBox1, "Button5", QStringLiteral("Grundposition"), QRect(8, 80, 81, 25));
    Button2 = MakeButton(GroupBox1, "Button2", QStringLiteral("schneller"), QRect(96, 48, 57, 25));
    Button8 = MakeButton(GroupBox1, "Button8", QStringLiteral("langsamer"), QRect(96, 80, 57, 25));

    primaer = MakeCheck(GroupBox6, "primaer", QStringLiteral("primär"), QRect(8, 16, 57, 17), false);
    gebeugtCheck =
        MakeCheck(GroupBox6, "gebeugtCheck", QStringLiteral("gebeugt"), QRect(88, 16, 57, 17), false);

    CheckBox5 = MakeCheck(GroupBox3, "CheckBox5", QStringLiteral("Gitterpunkte"), QRect(8, 16, 81, 17), true);
    CheckBox1 = MakeCheck(GroupBox3, "CheckBox1", QStringLiteral("Netzebenen"), QRect(8, 32, 81, 17), false);
    CheckBox7 = MakeCheck(GroupBox3, "CheckBox7", QStringLiteral("Achsen"), QRect(88, 16, 57, 17), true);
    CheckBox8 = MakeCheck(GroupBox3, "CheckBox8", QStringLiteral("Streuvekt."), QRect(88, 32, 65, 17), false);

    CheckBox10 = MakeCheck(GroupBox7, "CheckBox10", QStringLiteral("Theta"), QRect(8, 16, 49, 17), false);
    CheckBox11 = MakeCheck(GroupBox7, "CheckBox11", QStringLiteral("2Theta"), QRect(88, 16, 65, 17), false);
    CheckBox12 = MakeCheck(GroupBox7, "CheckBox12", QStringLiteral("Omega"), QRect(8, 32, 73, 17), false);

    CheckBox2 = MakeCheck(GroupBox2, "CheckBox2", QStringLiteral("zeigen"), QRect(8, 21, 57, 17), false);
    Button7 = MakeButton(GroupBox2, "Button7", QStringLiteral("löschen"), QRect(88, 16, 65, 25));

    CheckBox3 = MakeCheck(GroupBox4, "CheckBox3", QStringLiteral("Streuvektor"), QRect(8, 16, 73, 17), false);
    CheckBox9 = MakeCheck(GroupBox4, "CheckBox9", QStringLiteral("Achsen"), QRect(88, 16, 57, 17), false);
    CheckBox4 = MakeCheck(GroupBox4, "CheckBox4", QStringLiteral("Ewaldkreis"), QRect(8, 32, 121, 17), false);
    CheckBox6 = MakeCheck(GroupBox4, "CheckBox6", QStringLiteral("Punkte auf d. Ewaldkreis"),
                          QRect(8, 48, 145, 17), false);
    RadioGroup1 = new QGroupBox(QStringLiteral("Punkte im rez. Gitter"), GroupBox4);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 72, 145, 65);
    radioGroup1Items_ = new QButtonGroup(RadioGroup1);
    radioGroup1Items_->setExclusive(true);
    const QString items[] = {QStringLiteral("nicht zeigen"), QStringLiteral("zeigen, falls reflektiert"),
                             QStringLiteral("alle zeigen")};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(items[i], RadioGroup1);
        item->setStyle(PanelStyle());
        item->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        Place(item, qPrintable(item->objectName()), QRect(6, 14 + 16 * i, 135, 16));
        radioGroup1Items_->addButton(item, i);
    }
    radioGroup1Items_->button(0)->setChecked(true);
    SyncRadioGroup1TabStop();
    BuildLabGroup();

    // Group boxes take no focus, so the order runs over their controls: the
    // panel's groups in their order, then "Aufhören", then the readouts. The
    // spinner is stepped from Edit2 and takes no focus itself.
    const QList<QAbstractButton*> radio = radioGroup1Items_->buttons();
    const QList<QWidget*> tabOrder[] = {
        {Button3, Button6, Button5, Button2, Button8},                               // GroupBox1
        {Button7, CheckBox2},                                                        // GroupBox2
        {CheckBox1, CheckBox5, CheckBox7, CheckBox8},                                // GroupBox3
        {CheckBox3, CheckBox4, radio[0], radio[1], radio[2], CheckBox6, CheckBox9},  // GroupBox4
        {Button10, Edit5, Edit6, Edit7, Button11},                                   // GroupBox8
        {primaer, gebeugtCheck},                                                     // GroupBox6
        {CheckBox10, CheckBox11, CheckBox12},                                        // GroupBox7
        {Edit2, Button9},                                                            // GroupBox5
        {Button1, Edit3, Edit4, ListBox1},
    };
    QWidget* previous = nullptr;
    for (const QList<QWidget*>& group : tabOrder) {
        for (QWidget* control : group) {
            if (previous != nullptr) {
                setTabOrder(previous, control);
            }
            previous = control;
        }
    }
    // Image1 shows nothing and lies under the readouts.
    Image1->stackUnder(drawingArea_);
}

// The lab's group, at the place of "Reziprokes Gitter", which the lab hides:
// the cursor to a peak, the guessed cell and its check.
void TForm1::BuildLabGroup()
{
    GroupBox8 = MakeGroup(Panel1, "GroupBox8", QStringLiteral("Labor"), QRect(8, 416, 161, 145),
                          QColor(0xED, 0xE4, 0xF7));
    GroupBox8->hide();  // shown by the lab alone
    Button10 = MakeButton(GroupBox8, "Button10", QStringLiteral("Spitze"), QRect(8, 16, 65, 25));
    Button10->setToolTip(QStringLiteral("Messcursor auf die nächste Spitze (Taste S)"));
    const struct {
        QLineEdit** edit;
        const char* name;
        QString label;
        int top;
    } cell[] = {{&Edit5, "Edit5", QStringLiteral("a (pm)"), 46},
                {&Edit6, "Edit6", QStringLiteral("b (pm)"), 70},
                {&Edit7, "Edit7", QStringLiteral("γ (°)"), 94}};
    for (const auto& field : cell) {
        auto* edit = new QLineEdit(GroupBox8);
        edit->setObjectName(QString::fromLatin1(field.name));
        edit->setGeometry(64, field.top, 65, 21);
        edit->setAccessibleName(field.label);
        auto* label = new QLabel(field.label, GroupBox8);
        label->setGeometry(8, field.top + 2, 52, 17);
        label->setBuddy(edit);
        *field.edit = edit;
    }
    Button11 = MakeButton(GroupBox8, "Button11", QStringLiteral("Vermutung prüfen"), QRect(8, 116, 121, 25));
}

void TForm1::FitToScreen()
{
    if (isFullScreen() || isMaximized()) {
        return;  // the desktop decides
    }
    const QPoint wantedAt(kInitialLeftPx, kInitialTopPx);
    QScreen* onScreen = QGuiApplication::screenAt(wantedAt);
    if (onScreen == nullptr) {
        onScreen = screen();
    }
    if (onScreen == nullptr) {
        return;
    }
    const QSize frame(kAssumedFrame.left() + kAssumedFrame.right(),
                      kAssumedFrame.top() + kAssumedFrame.bottom());
    const QRect placed =
        FitIntoScreen(QRect(pos(), size() + frame), minimumSize() + frame, onScreen->availableGeometry());
    resize(placed.size() - frame);
    move(placed.topLeft());
}

void TForm1::SyncRadioGroup1TabStop()
{
    // Tab reaches the radio group at its checked item; the arrow keys move
    // between the items.
    for (QAbstractButton* item : radioGroup1Items_->buttons()) {
        item->setFocusPolicy(item->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void TForm1::WireEvents()
{
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
    connect(Button10, &QPushButton::clicked, this, [this] { session_->Button10Click(); });
    connect(Button11, &QPushButton::clicked, this, [this] { session_->Button11Click(); });
    for (QLineEdit* edit : {Edit5, Edit6, Edit7}) {
        connect(edit, &QLineEdit::returnPressed, Button11, &QPushButton::click);
    }
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    // A check box's handler runs on every change of its state, by the user or
    // by the program, and not when it is set to the state it already has.
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7,
                           CheckBox8, CheckBox9, CheckBox10, CheckBox11, CheckBox12, primaer, gebeugtCheck}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!silent_) {
                DisplayControlClick();
            }
        });
    }
    // One pass per change of item: only the button that becomes checked counts.
    connect(radioGroup1Items_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            SyncRadioGroup1TabStop();
            if (!silent_) {
                DisplayControlClick();
            }
        }
    });
    // A control that Tab reaches on a scrolled panel comes into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && Panel1->isAncestorOf(now)) {
            panelArea_->ensureWidgetVisible(now);
        }
    });
}

int TForm1::RadioGroup1ItemIndex() const
{
    return radioGroup1Items_->checkedId();
}

void TForm1::SetRadioGroup1ItemIndex(int index)
{
    if (QAbstractButton* item = radioGroup1Items_->button(index)) {
        item->setChecked(true);
    }
}

void TForm1::InitSimulation()
{
    Image1->resize(RoundHalfEven(State().ViewWidth), RoundHalfEven(State().ViewHeight));
    session_->InitSimulation();
}

void TForm1::FormActivate()
{
    if (!session_) {
        return;  // still being built
    }
    // Initialises once per run, on whichever comes first: the first activation
    // or the first show (a window that never gets the focus still needs it).
    if (!IsInitialised()) {
        Image1->resize(RoundHalfEven(State().ViewWidth), RoundHalfEven(State().ViewHeight));
    }
    session_->FormActivate();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
    if (event->type() == QEvent::LanguageChange && session_) {
        RetranslateUi();
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    // Placed once, before the window first appears; a window that is never
    // shown (an export) keeps the layout's size whatever the screen.
    if (!placedOnScreen_) {
        placedOnScreen_ = true;
        FitToScreen();
    }
    QWidget::showEvent(event);
    FormActivate();
}

int TForm1::PanelAreaWidth(int clientHeight) const
{
    const bool scrolls = clientHeight < PanelContentHeight();
    return kPanelWidthPx + (scrolls ? panelArea_->verticalScrollBar()->sizeHint().width() : 0);
}

int TForm1::PanelContentHeight() const
{
    int bottom = 0;
    for (const QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden()) {
            bottom = std::max(bottom, child->geometry().bottom() + 1);
        }
    }
    return bottom + kPanelBottomMarginPx;
}

// The panel keeps its width and fills the client height. On a window too
// short for the groups shown it scrolls; its scroll bar then takes its width
// from the drawing area, not from the groups.
void TForm1::LayoutClientArea()
{
    menuBar_->setGeometry(0, 0, width(), ClientTop());
    const QRect client = rect().adjusted(0, ClientTop(), 0, 0);
    const int content = PanelContentHeight();
    const bool scrolls = client.height() < content;
    panelArea_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int areaWidth = PanelAreaWidth(client.height());
    const int viewWidth = std::max(0, client.width() - areaWidth);
    panelArea_->setGeometry(client.left() + viewWidth, client.top(), areaWidth, client.height());
    Panel1->resize(kPanelWidthPx, std::max(client.height(), content));
    drawingArea_->setGeometry(client.left(), client.top(), viewWidth, client.height());
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutClientArea();
    if (session_) {
        FormResize();
    }
}

void TForm1::Button1Click()
{
    close();
}

}  // namespace kb
