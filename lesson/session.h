#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "feature_codes.h"
#include "model/crystal_choice.h"
#include "model/sim_state.h"
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
    void Timer1Timer();
    // Any display check box or RadioGroup1 changed by the user.
    void DisplayControlClick();

private:
    void Check(Control box, bool checked);
    void SelectRadioItem(int item);
    void ApplyReadouts(const Readouts& readouts, const std::string& decimalSeparator);
    void FitReadoutFonts(const Readouts& readouts, const std::string& decimalSeparator);

    Panel& panel_;
    SimState state_;
    RecordingCanvas canvas_;
    DrawList latest_;
    std::string captionBase_;
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
};

}  // namespace kb
