#include <QLineEdit>
#include <QMessageBox>

#include "experiments.h"
#include "main_window.h"
#include "model/rotation.h"
#include "up_down.h"

namespace kb {
namespace {

const char* const kProgramName = "Kristallbeugung";

void ShowMissingExperiment(QWidget* parent, const QString& typed)
{
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromLatin1(kProgramName));
    // The typed text is shown literally, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QStringLiteral("Experiment ") + typed + QStringLiteral(" existiert nicht."));
    box.setStandardButtons(QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MissingExperimentBox"));
    box.exec();
}

}  // namespace

void TForm1::Button9Click()
{
    const QString typed = Edit2->text();
    const std::optional<std::int32_t> number = ParseExperimentNumber(typed.toStdString());
    if (!number) {
        ShowMissingExperiment(this, typed);
        return;
    }
    const Experiment* experiment =
        (*number >= kLowestExperiment && *number <= UpDown1->Maximum()) ? FindExperiment(*number) : nullptr;
    if (experiment == nullptr) {
        // A rejected number leaves the lesson, the crystal and the picture as they are.
        SetCaption(QStringLiteral("Unbekanntes Experiment"));
        return;
    }
    const bool restoresStandard = experiment->number >= 1 && state_.Crystal != kStandardCrystal;
    if (restoresStandard) {
        // The lessons are written for the standard crystal; 0 and -1 keep the chosen one.
        ChangeCrystal(state_, kStandardCrystal);
    }
    state_.Omega = 0.0f;
    state_.ActiveReflex = -1;
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
    state_.ExperimentTitle =
        "Experiment " + std::to_string(experiment->number) + ": " + std::string(experiment->title);
    SetCaption(QString::fromStdString(state_.ExperimentTitle));
    DrawScene();
    if (restoresStandard) {
        ShowNotice(QStringLiteral(
            "Diese Lektion arbeitet mit dem Standardkristall; der gewählte Kristall ist zurückgesetzt."));
    }
}

}  // namespace kb
