#include "session.h"
#include "model/catalogue.h"

#include <utility>

#include "crystal_caption.h"
#include "model/diffractogram.h"
#include "model/rotation.h"
#include "render/pass_geometry.h"
#include "render/readouts.h"

namespace kb {
namespace {

// Edit3 keeps its layout place at the top left of the drawing area.
constexpr int kOmegaBoxLeft = 0;
constexpr int kOmegaBoxTop = 0;

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) {
            text += '\n';
        }
        text += line;
    }
    return text;
}

}  // namespace

Session::Session(Panel& panel, TextMetrics& metrics)
    : panel_(panel),
      canvas_(metrics),
      edit4PlacedForWidth_(panel.ViewWidth()),
      edit4PlacedForHeight_(panel.ViewHeight())
{
    SetCaptionFrom([] { return Tr("core", kNoExperimentCaption); });
}

void Session::Check(Control box, bool checked)
{
    // Only a change runs the box's handler.
    if (panel_.IsChecked(box) != checked) {
        panel_.SetChecked(box, checked);
        DisplayControlClick();
    }
}

void Session::SelectRadioItem(int item)
{
    if (panel_.RadioItem() != item) {
        panel_.SelectRadioItem(item);
        DisplayControlClick();
    }
}

DisplayFlags Session::ReadDisplayFlags() const
{
    DisplayFlags f;
    f.Netzebenen = panel_.IsChecked(Control::CheckBox1);
    f.DiffractogramShown = panel_.IsChecked(Control::CheckBox2);
    f.ReciprocalVector = panel_.IsChecked(Control::CheckBox3);
    f.EwaldCircle = panel_.IsChecked(Control::CheckBox4);
    const int item = panel_.RadioItem();
    f.PointMode = item == 2 ? ReciprocalPointMode::All
                            : (item == 1 ? ReciprocalPointMode::Reflected : ReciprocalPointMode::None);
    f.LatticePoints = panel_.IsChecked(Control::CheckBox5);
    f.EwaldMarks = panel_.IsChecked(Control::CheckBox6);
    f.Diffracted = panel_.IsChecked(Control::gebeugtCheck);
    f.DirectAxes = panel_.IsChecked(Control::CheckBox7);
    f.CrystalVector = panel_.IsChecked(Control::CheckBox8);
    f.ReciprocalAxes = panel_.IsChecked(Control::CheckBox9);
    f.ThetaArcs = panel_.IsChecked(Control::CheckBox10);
    f.TwoThetaArc = panel_.IsChecked(Control::CheckBox11);
    f.OmegaArc = panel_.IsChecked(Control::CheckBox12);
    f.PrimaryBeam = panel_.IsChecked(Control::primaer);
    return f;
}

void Session::DrawScene()
{
    if (!initialised_) {
        return;  // the pass is not defined before the model is initialised
    }
    SceneInput input;
    input.viewWidthPx = panel_.ViewWidth();
    input.viewHeightPx = panel_.ViewHeight();
    input.flags = ReadDisplayFlags();
    input.decimalSeparator = panel_.DecimalSeparator();
    input.omegaBoxTop = kOmegaBoxTop;
    input.lab = MakeLabOverlay(input.decimalSeparator);
    canvas_.BeginPass();
    const Readouts readouts = kb::DrawScene(state_, input, canvas_);
    // The list shown before becomes the storage the next pass records into.
    canvas_.RecycleList(std::exchange(latest_, canvas_.TakeList()));
    panel_.ShowPicture(latest_);
    ApplyReadouts(readouts, input.decimalSeparator);
    ++scenePassCount_;
}

void Session::FitReadoutFonts(const Readouts& r, const std::string& decimalSeparator)
{
    // The fonts follow the scene's scale: the width it is laid out for, which
    // on a wide drawing area its height sets.
    const int viewWidth = RoundHalfEven(static_cast<double>(state_.ViewScale) * kWorldWidth);
    // The possible texts, and so the fonts, also depend on the crystal.
    if (fontsFitForWidth_ == viewWidth && fontsFitForSeparator_ == decimalSeparator &&
        fontsFitForCrystal_ == state_.Crystal && fontsFitForLab_ == inLab_) {
        return;
    }
    fontsFitForWidth_ = viewWidth;
    fontsFitForSeparator_ = decimalSeparator;
    fontsFitForCrystal_ = state_.Crystal;
    fontsFitForLab_ = inLab_;
    // The lab's boxes never show a reflection's texts, so they are not fitted to them.
    const ReadoutTexts texts =
        inLab_ ? PossibleLabReadoutTexts(decimalSeparator) : PossibleReadoutTexts(state_, decimalSeparator);
    panel_.FitReadoutFont(Control::Edit3, r.fontHeight, r.omegaWidth, r.omegaHeight, JoinLines(texts.omega),
                          1);
    panel_.FitReadoutFont(Control::Edit4, r.fontHeight, r.reflexGeometry.width, r.reflexGeometry.height,
                          JoinLines(texts.reflex), 1);
    panel_.FitReadoutFont(Control::ListBox1, r.fontHeight, r.listGeometry.width, r.listGeometry.height,
                          JoinLines(texts.list), texts.listLineCount);
}

void Session::ApplyReadouts(const Readouts& r, const std::string& decimalSeparator)
{
    FitReadoutFonts(r, decimalSeparator);
    panel_.PlaceReadout(Control::Edit3, kOmegaBoxLeft, kOmegaBoxTop, r.omegaWidth, r.omegaHeight);
    panel_.SetReadoutText(Control::Edit3, r.omegaText);
    // Edit4 keeps its place and font while no reflex is active, unless the
    // drawing area has changed size since: then it takes those of the new size.
    const int viewWidth = RoundHalfEven(state_.ViewWidth);
    const int viewHeight = RoundHalfEven(state_.ViewHeight);
    if (r.reflexPlaced || viewWidth != edit4PlacedForWidth_ || viewHeight != edit4PlacedForHeight_) {
        const BoxGeometry& box = r.reflexGeometry;
        panel_.PlaceReadout(Control::Edit4, box.left, box.top, box.width, box.height);
        edit4PlacedForWidth_ = viewWidth;
        edit4PlacedForHeight_ = viewHeight;
    }
    // Shown before its text changes, so that a front end announcing the new
    // reflex to a screen reader already sees the box as shown.
    panel_.ShowControl(Control::Edit4, r.reflexVisible);
    if (r.reflexTextChanged) {
        panel_.SetReadoutText(Control::Edit4, r.reflexText);
    }
    if (r.listUpdated) {
        const BoxGeometry& box = r.listGeometry;
        panel_.PlaceReadout(Control::ListBox1, box.left, box.top, box.width, box.height);
        panel_.SetReadoutText(Control::ListBox1, JoinLines(r.listLines));
    }
    panel_.ShowControl(Control::ListBox1, r.listVisible);
}

void Session::InitSimulation()
{
    InitConstantsAndTable(state_);
    ResetRotationForInit(state_);
    initialised_ = true;
    ApplyFeatures({});
    DrawScene();
}

void Session::FormActivate()
{
    // Once per run, whichever event of the front end comes first.
    if (initRan_) {
        return;
    }
    initRan_ = true;
    InitSimulation();
}

void Session::FormResize()
{
    DrawScene();
}

void Session::StartRotation()
{
    panel_.StartTimer(static_cast<int>(state_.TimerInterval));
    timerIntervalMs_ = state_.TimerInterval;
    timerRunning_ = true;
    panel_.SetControlCaption(Control::Button3, Tr("core", "Stop"));
}

void Session::StopRotation()
{
    panel_.StopTimer();
    timerRunning_ = false;
    panel_.SetControlCaption(Control::Button3, Tr("core", "Start"));
}

// The toggle follows the timer, so its caption never disagrees with it.
void Session::Button3Click()
{
    if (timerRunning_) {
        StopRotation();
    } else {
        StartRotation();
    }
}

void Session::Timer1Timer()
{
    RotationStep(state_);
    DrawScene();
    AdvanceSweepIfPassed(state_);
}

void Session::Button6Click()
{
    StepToNextReflex(state_);
    DrawScene();
}

void Session::Button5Click()
{
    ResetToGroundPosition(state_);
    DrawScene();
}

void Session::Button2Click()
{
    timerIntervalMs_ = FasterInterval(timerIntervalMs_);
    panel_.SetTimerInterval(static_cast<int>(timerIntervalMs_));
    state_.TimerInterval = timerIntervalMs_;
}

void Session::Button8Click()
{
    timerIntervalMs_ = SlowerInterval(timerIntervalMs_);
    panel_.SetTimerInterval(static_cast<int>(timerIntervalMs_));
    state_.TimerInterval = timerIntervalMs_;
}

void Session::ClearDiffractogram()
{
    ClearDiffractogramData(state_);
    DrawScene();
}

void Session::Button7Click()
{
    ClearDiffractogram();
}

void Session::DisplayControlClick()
{
    DrawScene();
}

CrystalCheck Session::ApplyCrystal(const CrystalParams& crystal)
{
    if (inLab_) {
        return RefuseInLab();
    }
    if (CountedCrystal(crystal) == state_.Crystal) {
        return CheckCrystal(crystal);  // the lesson, its rotation and its peaks go on
    }
    const CrystalCheck check = ChangeCrystal(state_, crystal);
    if (!check.accepted) {
        return check;
    }
    StopRotation();
    ShowCaption(captionBase_);
    DrawScene();
    return check;
}

void Session::SetCaptionFrom(std::function<std::string()> text, bool isTitle)
{
    captionText_ = std::move(text);
    captionIsTitle_ = isTitle;
    const std::string base = captionText_();
    if (isTitle) {
        state_.ExperimentTitle = base;
    }
    ShowCaption(base);
}

void Session::SetCaption(const std::string& base)
{
    captionText_ = nullptr;
    ShowCaption(base);
}

bool Session::SetLanguage(std::string_view code)
{
    if (!kb::SetLanguage(code)) {
        return false;
    }
    if (captionText_) {
        const std::string base = captionText_();
        if (captionIsTitle_) {
            state_.ExperimentTitle = base;
        }
        ShowCaption(base);
    }
    panel_.SetControlCaption(Control::Button3, Tr("core", timerRunning_ ? "Stop" : "Start"));
    RetranslateVerdict();
    fontsFitForWidth_ = -1;  // other words, other widths
    DrawScene();
    return true;
}

void Session::ShowCaption(const std::string& base)
{
    captionBase_ = base;
    // The lab's crystal is the one thing its caption must not tell.
    panel_.SetWindowCaption(inLab_ ? base
                                   : base + CrystalCaptionSuffix(state_.Crystal, panel_.DecimalSeparator()));
}

}  // namespace kb
