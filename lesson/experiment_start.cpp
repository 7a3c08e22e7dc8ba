#include "experiments.h"
#include "model/catalogue.h"
#include "model/rotation.h"
#include "session.h"

namespace kb {

void Session::Button9Click()
{
    const std::string typed = panel_.ControlText(Control::Edit2);
    const std::optional<std::int32_t> number = ParseExperimentNumber(typed);
    if (!number) {
        // The front end shows the typed text literally, never as markup.
        panel_.ShowMessage(Tr("core", kExperimentMessageTitle),
                           TrArgs("core", "Experiment %1 existiert nicht.", {typed}));
        return;
    }
    const Experiment* experiment =
        (*number >= kLowestExperiment && *number <= kHighestExperiment) ? FindExperiment(*number) : nullptr;
    if (experiment == nullptr) {
        // A rejected number leaves the lesson, the crystal and the picture as they are.
        SetCaptionFrom([] { return Tr("core", "Unbekanntes Experiment"); });
        return;
    }
    // Leaving the lab brings back the crystal chosen before it.
    LeaveLab();
    if (experiment->number >= 1 && state_.Crystal != kStandardCrystal) {
        // The lessons are written for the standard crystal; 0 and -1 keep the chosen one.
        ChangeCrystal(state_, kStandardCrystal);
    }
    state_.Omega = 0.0f;
    state_.ActiveReflex = -1;
    AlignSweepWithCrystal(state_);
    ApplyFeatures(experiment->codes);
    for (const ExtraStep step : experiment->extras) {
        switch (step) {
            case ExtraStep::GroundPosition:
                ResetToGroundPosition(state_);
                break;
            case ExtraStep::ClearDiffractogram:
                ClearDiffractogram();
                break;
            case ExtraStep::UnsetAllMarks:
                UnsetAllEwaldMarks(state_);
                break;
            case ExtraStep::UnsetAllMarksBut100:
                for (int i = 0; i < state_.ReflexCount; ++i) {
                    Reflex& r = state_.ReflexTable[static_cast<std::size_t>(i)];
                    if (!(r.H == 1 && r.K == 0)) {
                        r.EwaldMark = kUnsetEwaldMark;
                    }
                }
                break;
            case ExtraStep::BeamColour:
                state_.DiffractedBeamColour = kDarkRed;
                break;
        }
    }
    experiment_ = experiment->number;
    SetCaptionFrom(
        [experiment] {
            return TrArgs("core", "Experiment %1: %2",
                          {std::to_string(experiment->number), Tr("core", experiment->title)});
        },
        true);
    DrawScene();
}

void Session::TurnTo(double omegaDeg)
{
    state_.Omega = Single(omegaDeg * static_cast<double>(state_.DegToRad));
    state_.ActiveReflex = -1;
    AlignSweepWithCrystal(state_);
    DrawScene();
}

void Session::SetSpeed(std::uint32_t intervalMs)
{
    timerIntervalMs_ = intervalMs;
    state_.TimerInterval = intervalMs;
    panel_.SetTimerInterval(static_cast<int>(intervalMs));
}

void Session::Edit2Enter()
{
    Button9Click();
}

void Session::StartExperiment(int number)
{
    panel_.SetControlText(Control::Edit2, std::to_string(number));
    Button9Click();
}

}  // namespace kb
