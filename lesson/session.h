#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "feature_codes.h"
#include "model/crystal_choice.h"
#include "model/peak_match.h"
#include "model/sim_state.h"
#include "model/unknown_crystal.h"
#include "panel.h"
#include "render/draw_list.h"
#include "render/scene.h"

namespace kb {

inline constexpr std::uint32_t kTimerIntervalMsAtCreation = 1000;
// The window caption before the first lesson.
inline constexpr char kNoExperimentCaption[] = "Kein Experiment aktiv";

// The panel's behaviour without a toolkit: the model, the handlers of the
// controls and the timer, the feature codes, the experiment start and the
// scene pass with its readouts. Acts on the window through `Panel` only; a
// front end calls the handlers from its controls' events.

// The unknown crystal a student measures in the lab.
struct LabChoice {
    std::string code;  // the class code, normalised
    int seat = 1;      // kLabFirstSeat to kLabLastSeat
    LabLevel level = LabLevel::Rectangular;
};

class Session {
public:
    // Reads the panel's view size: Edit4 keeps its layout place at that size
    // until a pass places it.
    Session(Panel& panel, TextMetrics& metrics);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SimState& State() { return state_; }
    const SimState& State() const { return state_; }
    bool IsInitialised() const { return initialised_; }
    int ScenePassCount() const { return scenePassCount_; }
    const DrawList& LatestPass() const { return latest_; }
    bool TimerRunning() const { return timerRunning_; }
    std::uint32_t TimerIntervalMs() const { return timerIntervalMs_; }

    // The one scene pass: frames from the view size, the display controls
    // read afresh, the picture recorded and shown, the readouts filled. Does
    // nothing before the initialisation.
    void DrawScene();
    DisplayFlags ReadDisplayFlags() const;

    void InitSimulation();
    // The reset, then the codes in list order; each check box or radio item
    // whose state changes runs its handler, and with it a pass, at once.
    void ApplyFeatures(std::span<const FeatureCode> codes);
    void StartRotation();
    void StopRotation();
    void ClearDiffractogram();

    // Another crystal: the rotation stops, the check boxes stay, one pass
    // follows. A refused choice, or the crystal already in use, changes
    // nothing. Usable before the initialisation.
    CrystalCheck ApplyCrystal(const CrystalParams& crystal);
    // The window caption: `base`, followed by the crystal's parameters while
    // a crystal other than the standard is in use.
    void SetCaption(const std::string& base);
    // The language of every core text (a code of AvailableLanguages): the
    // caption, Button3, the readouts and the verdict in it at once; lesson,
    // crystal, Omega and the recorded peaks stay. False for an unknown code.
    bool SetLanguage(std::string_view code);
    const std::string& CaptionBase() const { return captionBase_; }

    // Handlers, named after the control and the event.
    void FormActivate();  // initialises once, on the first call
    void FormResize();
    void Button2Click();  // "schneller"
    void Button3Click();  // "Start"/"Stop"
    void Button5Click();  // "Grundposition"
    void Button6Click();  // "nächsterReflex"
    void Button7Click();  // "löschen"
    void Button8Click();  // "langsamer"
    void Button9Click();  // experiment "Start": the number in Edit2
    // The lesson started last; none before the first and in the lab.
    std::optional<int> ExperimentNumber() const { return experiment_; }
    // The crystal at `omegaDeg`, no reflection active, the sweep heading for
    // the next one from there; one pass.
    void TurnTo(double omegaDeg);
    // The timer's interval, ms per step, as "schneller" and "langsamer" set it.
    void SetSpeed(std::uint32_t intervalMs);
    // Enter in "Experiment Nr.": the same start as "Start".
    void Edit2Enter();
    // A lesson chosen from a list: its number written into Edit2, then
    // "Start", exactly as typing it and pressing "Start" does.
    void StartExperiment(int number);
    void Timer1Timer();
    // Any display check box or RadioGroup1 changed by the user.
    void DisplayControlClick();

    // The lab: the unknown crystal of `choice` (its code normalised), the
    // lab's panel with GroupBox8, the scale on, the caption naming code and
    // seat only. Starting a numbered lesson leaves it.
    void StartLab(const LabChoice& choice);
    bool InLab() const { return inLab_; }
    const LabChoice& Lab() const { return lab_; }
    // "Messskala": ticks on the diffractogram's axis and the measuring
    // cursor; one pass.
    void SetMeasureScale(bool on);
    bool MeasureScale() const { return measureScale_; }
    // A press or drag at (x, y), px of the drawing area: within the
    // diffractogram's band it sets the cursor there, 0 to 180 degrees, and
    // returns true.
    bool PointerAt(int x, int y);
    // The arrow keys: the cursor by `deltaDeg` (kCursorStepDeg, with Shift
    // kCursorBigStepDeg), within 0 to 180 degrees.
    void MoveCursor(double deltaDeg);
    void Button10Click();  // "Spitze": the cursor to the maximum of the nearest recorded peak
    void Button11Click();  // "Vermutung prüfen": Edit5 to Edit7 against the measurement
    // The cursor's 2Theta, degrees, while the scale is on and the cursor set.
    std::optional<double> CursorDeg() const;
    // "2Θ = 24,45°, d/n = 182,0 pm"; empty without a cursor.
    std::string CursorReading() const;
    const std::string& Verdict() const { return verdict_; }
    int GuessCount() const { return guessCount_; }
    // What the picture shows in one sentence for a screen reader; in the lab
    // without indices, and with the cursor's reading while there is one.
    std::string SceneDescription() const;

private:
    void Check(Control box, bool checked);
    // The caption from `text`, composed again in a new language; `isTitle`:
    // it is the lesson's title (SimState::ExperimentTitle) too.
    void SetCaptionFrom(std::function<std::string()> text, bool isTitle = false);
    void ShowCaption(const std::string& base);
    void RetranslateVerdict();
    void LeaveLab();
    CrystalCheck RefuseInLab() const;
    LabOverlay MakeLabOverlay(const std::string& decimalSeparator) const;
    void SetCursor(double deg);
    void SelectRadioItem(int item);
    void ApplyReadouts(const Readouts& readouts, const std::string& decimalSeparator);
    void FitReadoutFonts(const Readouts& readouts, const std::string& decimalSeparator);

    Panel& panel_;
    SimState state_;
    RecordingCanvas canvas_;
    DrawList latest_;
    std::string captionBase_;
    std::function<std::string()> captionText_;
    bool captionIsTitle_ = false;
    bool initialised_ = false;
    bool initRan_ = false;
    int scenePassCount_ = 0;
    bool timerRunning_ = false;
    std::uint32_t timerIntervalMs_ = kTimerIntervalMsAtCreation;
    // The drawing-area size Edit4's place and font belong to.
    int edit4PlacedForWidth_ = 0;
    int edit4PlacedForHeight_ = 0;
    // The drawing-area width and separator the readout fonts were fitted for.
    int fontsFitForWidth_ = -1;
    std::string fontsFitForSeparator_;
    CrystalParams fontsFitForCrystal_;
    bool fontsFitForLab_ = false;

    std::optional<int> experiment_;
    bool inLab_ = false;
    LabChoice lab_;
    CrystalParams crystalBeforeLab_;  // given back by lessons 0 and -1
    bool scaleBeforeLab_ = false;
    bool measureScale_ = false;
    std::optional<double> cursorDeg_;
    std::vector<double> predictedDeg_;  // peaks of the last guessed cell
    std::string verdict_;
    std::optional<GuessVerdict> lastVerdict_;
    int guessCount_ = 0;
};

// The measuring cursor's steps, degrees: the arrow keys, with Shift.
inline constexpr double kCursorStepDeg = 0.05;
inline constexpr double kCursorBigStepDeg = 1.0;

}  // namespace kb
