#pragma once

#include <QFont>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "drawing_area.h"
#include "lesson/panel.h"
#include "lesson/session.h"
#include "model/crystal_choice.h"
#include "model/sim_state.h"
#include "paint/fonts.h"
#include "paint/picture_export.h"
#include "render/draw_list.h"
#include "render/scene.h"

class QAction;
class QButtonGroup;
class QMenu;
class QMenuBar;
class QShortcut;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTextBrowser;
class QTimer;

namespace kb {

class CrystalDialog;
class LabDialog;
class UpDown;

inline constexpr int kPanelWidthPx = 177;
inline constexpr int kMinWindowWidthPx = 640;
inline constexpr int kMinWindowHeightPx = 480;
inline constexpr int kInitialClientWidthPx = 792;
inline constexpr int kInitialClientHeightPx = 568;
inline constexpr int kInitialLeftPx = 301;
inline constexpr int kInitialTopPx = 208;

// The program's one window: the Qt front end of the lessons' Session, whose
// Panel it is. Controls keep their layout names, as members and as object
// names; the handlers live in the Session and the window's slots call them.
class TForm1 final : public QWidget, private Panel {
    Q_OBJECT

public:
    TForm1();
    ~TForm1() override;

    Session& Lesson() { return *session_; }
    // Model of the simulation; every handler reads and writes it in place.
    SimState& State() { return session_->State(); }
    const SimState& State() const { return session_->State(); }

    bool IsInitialised() const { return session_->IsInitialised(); }
    int ScenePassCount() const { return session_->ScenePassCount(); }
    const DrawList& LatestPass() const { return drawingArea_->List(); }

    void DrawScene() { session_->DrawScene(); }
    void InitSimulation();
    void ApplyFeatures(std::span<const FeatureCode> codes) { session_->ApplyFeatures(codes); }
    void StartRotation() { session_->StartRotation(); }
    void StopRotation() { session_->StopRotation(); }
    void ClearDiffractogram() { session_->ClearDiffractogram(); }

    // The crystal in use changes nothing (Session::ApplyCrystal).
    CrystalCheck ApplyCrystal(const CrystalParams& crystal) { return session_->ApplyCrystal(crystal); }
    // Opens "Kristall und Strahlung" on the crystal in use.
    void ShowCrystalDialog();
    // Opens "Unbekannter Kristall"; its OK starts the lab.
    void ShowLabDialog();
    // "Messskala" from the menu.
    void SetMeasureScale(bool on);
    void SetCaption(const QString& base) { session_->SetCaption(base.toStdString()); }

    // Handlers.
    void FormActivate();
    void FormResize() { session_->FormResize(); }
    void Button1Click();
    void Button2Click() { session_->Button2Click(); }
    void Button3Click() { session_->Button3Click(); }
    void Button5Click() { session_->Button5Click(); }
    void Button6Click() { session_->Button6Click(); }
    void Button7Click() { session_->Button7Click(); }
    void Button8Click() { session_->Button8Click(); }
    // The lesson's start; one that brings back the standard crystal says so.
    void Button9Click();
    // Enter in "Experiment Nr.", and a lesson from the menu "Experiment":
    // the same start, with the same notice.
    void Edit2Enter();
    void StartExperiment(int number);
    void Timer1Timer() { session_->Timer1Timer(); }
    void DisplayControlClick() { session_->DisplayControlClick(); }

    // The classroom tools: the menu bar's handlers, and what the command line
    // asks of the window.
    void SavePictureClick();
    void CopyPictureClick();
    void SaveValuesClick();
    void SaveDiffractogramClick();
    void PrintClick();
    void SetFullScreen(bool on);
    void AboutClick();
    // Shows `text` for a few seconds over a corner of the drawing area.
    void ShowNotice(const QString& text);
    // "Anleitung": the guide beside the window, in the language in use.
    void ShowGuide();
    void RetranslateGuide();

    // The drawing area's size in logical pixels: the client area below the
    // menu bar, left of the panel.
    QSize ViewSize() const;
    void SetViewSize(QSize view);
    // The client area of the layout: the window below the menu bar.
    int ClientTop() const;
    QSize ClientSize() const { return size() - QSize(0, ClientTop()); }
    void ResizeClient(QSize client) { resize(client + QSize(0, ClientTop())); }
    // Turns the crystal by `degrees` through the rotation step, tick by tick,
    // recording peaks as the running timer would.
    void TurnCrystal(double degrees);
    // Writes the value table of the recorded reflections; an empty string
    // or the message to show.
    QString SaveValues(const QString& fileName) const;
    // Writes the diffractogram, bin by bin; an empty string or the message to show.
    QString SaveDiffractogram(const QString& fileName) const;
    PictureInfo PictureDescription() const;

    int RadioGroup1ItemIndex() const;
    void SetRadioGroup1ItemIndex(int index);

    // Controls, by their layout names. The readouts are children of the
    // drawing area; the panel scrolls inside panelArea_ on a short window.
    DrawingArea* drawingArea_ = nullptr;
    QWidget* Image1 = nullptr;
    QScrollArea* panelArea_ = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QTimer* Timer1 = nullptr;

    QGroupBox* GroupBox5 = nullptr;
    QLineEdit* Edit2 = nullptr;
    UpDown* UpDown1 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button1 = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button8 = nullptr;

    QGroupBox* GroupBox6 = nullptr;
    QCheckBox* primaer = nullptr;
    QCheckBox* gebeugtCheck = nullptr;

    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox8 = nullptr;

    QGroupBox* GroupBox7 = nullptr;
    QCheckBox* CheckBox10 = nullptr;
    QCheckBox* CheckBox11 = nullptr;
    QCheckBox* CheckBox12 = nullptr;

    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button7 = nullptr;

    QGroupBox* GroupBox4 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox9 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* radioGroup1Items_ = nullptr;

    QGroupBox* GroupBox8 = nullptr;
    QPushButton* Button10 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QPushButton* Button11 = nullptr;

    QMenuBar* menuBar_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    QAction* saveValuesAction_ = nullptr;
    QAction* saveDiffractogramAction_ = nullptr;
    QAction* crystalAction_ = nullptr;
    QAction* labAction_ = nullptr;
    QAction* scaleAction_ = nullptr;
    QAction* rotateAction_ = nullptr;
    QAction* nextReflexAction_ = nullptr;
    QAction* groundAction_ = nullptr;
    QAction* fasterAction_ = nullptr;
    QAction* slowerAction_ = nullptr;
    QShortcut* leaveFullScreen_ = nullptr;
    QTextBrowser* guide_ = nullptr;
    QLabel* notice_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QTimer* noticeTimer_ = nullptr;

    // The language of every text (a code of Languages()): applied at once,
    // the lesson, crystal, Omega and recorded peaks kept, and remembered.
    void SetLanguage(const QString& code);
    // Every text again in the current language.
    void RetranslateUi();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    void BuildLabGroup();
    // Keeps the layout's place and size where they fit on the screen the
    // window opens on, otherwise brings the whole window onto it.
    void FitToScreen();
    // Asks before a crystal change throws the recorded peaks away.
    bool ConfirmDiscardPeaks();
    void BuildMenuBar();
    void BuildRotationActions(QMenu* menu);
    void BuildLanguageMenu();
    void BuildExperimentMenu(QMenu* menu);
    // The lessons' entries in the current language, each with its mnemonic.
    void SetExperimentMenuTexts();
    // Says so when a lesson has brought back the standard crystal.
    void NoticeCrystalReset(bool otherCrystalBefore);
    void SetUpKeys();
    void SetUpAccessibility();
    // The core's names for controls that share a caption, in the current language.
    void NameSharedCaptions();
    // Tells a screen reader in words what the picture shows, when that changes.
    void DescribePicture();
    // Tells a screen reader the lab's reading and verdict when they change.
    void AnnounceLabLines();
    // The measuring cursor by the mouse and the keys on the drawing area.
    bool DrawingAreaEvent(QEvent* event);
    // Enables the menu's entries as the panel and the recorded peaks allow.
    void SyncMenuStates();
    void ReportFailure(const QString& title, const QString& message);
    void WireEvents();
    void SyncRadioGroup1TabStop();
    int PanelContentHeight() const;
    // The panel's width with its scroll bar, if a client area this high needs one.
    int PanelAreaWidth(int clientHeight) const;
    void LayoutClientArea();

    // Panel, with the widgets.
    void IndexControls();
    QWidget* Widget(Control control) const;
    int ViewWidth() const override;
    int ViewHeight() const override;
    std::string DecimalSeparator() const override;
    void ShowControl(Control control, bool shown) override;
    bool IsChecked(Control box) const override;
    void SetChecked(Control box, bool checked) override;
    int RadioItem() const override;
    void SelectRadioItem(int item) override;
    std::string ControlText(Control edit) const override;
    void SetControlText(Control edit, const std::string& text) override;
    void SetControlCaption(Control control, const std::string& caption) override;
    void SetWindowCaption(const std::string& caption) override;
    void PanelChanged() override;
    void StartTimer(int intervalMs) override;
    void StopTimer() override;
    void SetTimerInterval(int intervalMs) override;
    void ShowMessage(const std::string& title, const std::string& text) override;
    void FitReadoutFont(Control box, int cellHeightPx, int boxWidth, int boxHeight, const std::string& texts,
                        int lines) override;
    void PlaceReadout(Control box, int left, int top, int width, int height) override;
    void SetReadoutText(Control box, const std::string& text) override;
    void ShowPicture(const DrawList& pass) override;

    // The readouts' fonts, fitted by the session for the present size.
    struct ReadoutFonts {
        QFont omega;
        QFont reflex;
        QFont list;
    };

    ReadoutFonts readoutFonts_;
    std::vector<QWidget*> controls_;  // by Control
    bool silent_ = false;             // a change made for the session raises no handler
    CrystalDialog* crystalDialog_ = nullptr;
    LabDialog* labDialog_ = nullptr;
    QtTextMetrics metrics_;
    bool placedOnScreen_ = false;
    std::unique_ptr<Session> session_;  // made once the layout stands
};

}  // namespace kb
