#pragma once

#include <string>
#include <string_view>

#include "render/draw_list.h"

namespace kb {

// The controls of the window, by their layout names. A front end names its
// widgets or elements alike (ControlName), so one vocabulary serves both.
enum class Control {
    GroupBox1,  // "Kristall drehen"
    GroupBox2,  // "Diffraktogramm"
    GroupBox3,  // "Direktes Gitter"
    GroupBox4,  // "Reziprokes Gitter"
    GroupBox5,  // "Experiment Nr."
    GroupBox6,  // "Röntgenstrahl"
    GroupBox7,  // "Winkel zeigen"
    Button1,    // "Aufhören"
    Button2,    // "schneller"
    Button3,    // "Start"/"Stop" of the rotation
    Button5,    // "Grundposition"
    Button6,    // "nächsterReflex"
    Button7,    // "löschen"
    Button8,    // "langsamer"
    Button9,    // "Start" of the experiment
    primaer,
    gebeugtCheck,
    CheckBox1,
    CheckBox2,
    CheckBox3,
    CheckBox4,
    CheckBox5,
    CheckBox6,
    CheckBox7,
    CheckBox8,
    CheckBox9,
    CheckBox10,
    CheckBox11,
    CheckBox12,
    RadioGroup1,
    Edit2,     // the experiment number
    UpDown1,   // its spinner
    Edit3,     // Omega readout
    Edit4,     // reflex readout
    ListBox1,  // readout lines
    // The lab's group, shown only while an unknown crystal is measured.
    GroupBox8,  // "Labor"
    Button10,   // "Spitze": the measuring cursor to the nearest recorded peak
    Edit5,      // guessed a, pm
    Edit6,      // guessed b, pm
    Edit7,      // guessed gamma, degrees
    Button11,   // "Vermutung prüfen"
};

inline constexpr int kControlCount = static_cast<int>(Control::Button11) + 1;

// The layout name, e.g. "CheckBox12"; also the object name or element id.
const char* ControlName(Control control);

// The name a screen reader gives a control whose caption another control
// shares: the caption and its group, e.g. "Start: Experiment Nr.". Empty
// where the caption alone is enough. With `caption`, for a button whose
// caption changes ("Start"/"Stop"); without, for its caption at start.
std::string AccessibleName(Control control);
std::string AccessibleName(Control control, std::string_view caption);

// What a front end does for the lessons. The core decides; the front end only
// carries out. None of these calls runs a handler: where a change must run
// one (a check box, the radio group), the core runs it itself, so both front
// ends give the same scene passes in the same order. All texts are UTF-8.
class Panel {
public:
    virtual ~Panel() = default;

    // The drawing area left of the panel, in logical pixels.
    virtual int ViewWidth() const = 0;
    virtual int ViewHeight() const = 0;
    // The user's decimal separator for the readouts and the caption, e.g. ",".
    virtual std::string DecimalSeparator() const = 0;

    // Shows or hides a control itself; a control is seen only while its
    // group box is shown too.
    virtual void ShowControl(Control control, bool shown) = 0;
    // Checked state of a check box, changed silently.
    virtual bool IsChecked(Control box) const = 0;
    virtual void SetChecked(Control box, bool checked) = 0;
    // Selected item of RadioGroup1, 0 to 2, changed silently.
    virtual int RadioItem() const = 0;
    virtual void SelectRadioItem(int item) = 0;
    // Text of an edit box (Edit2).
    virtual std::string ControlText(Control edit) const = 0;
    // Writes an edit box's text as if typed, without running a handler.
    virtual void SetControlText(Control edit, const std::string& text) = 0;
    // Caption of a button (Button3).
    virtual void SetControlCaption(Control control, const std::string& caption) = 0;
    virtual void SetWindowCaption(const std::string& caption) = 0;
    // Called once after a feature list has shown and hidden controls.
    virtual void PanelChanged() = 0;

    // Timer1: repeating, its ticks call Session::Timer1Timer. Giving a running
    // timer a new interval restarts its period; a stopped one only stores it.
    virtual void StartTimer(int intervalMs) = 0;
    virtual void StopTimer() = 0;
    virtual void SetTimerInterval(int intervalMs) = 0;

    // A modal message with an "OK" button.
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;

    // Readouts (Edit3, Edit4, ListBox1). The font of a box: character cell
    // `cellHeightPx` high, made smaller only as far as the widest of `texts`
    // (one per line) needs to fit a box of this size, with `lines` of them
    // one under another. Chosen once per drawing-area width and separator,
    // before the boxes are placed; a box takes it when it is placed.
    virtual void FitReadoutFont(Control box, int cellHeightPx, int boxWidth, int boxHeight,
                                const std::string& texts, int lines) = 0;
    virtual void PlaceReadout(Control box, int left, int top, int width, int height) = 0;
    // Text of Edit3 or Edit4; the lines of ListBox1, separated by '\n'
    // (empty: no lines).
    virtual void SetReadoutText(Control box, const std::string& text) = 0;

    // The picture of the latest scene pass. The list lives in the session
    // (Session::LatestPass) and stays unchanged until the next pass.
    virtual void ShowPicture(const DrawList& pass) = 0;
};

}  // namespace kb
