// The diffraction lab: an unknown crystal to measure, the measuring cursor on
// the diffractogram and the check of a guessed cell.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include "model/catalogue.h"

#include "model/diffractogram.h"
#include "model/peak_match.h"
#include "model/rotation.h"
#include "render/readouts.h"
#include "render/scene_description.h"
#include "session.h"

namespace kb {
namespace {

// The lab's panel: the rotation without "nächsterReflex", both beams, the
// angles, the diffractogram shown and the Ewald circle drawn, its group hidden,
// readouts on and no index labels. Nothing of the lattice.
constexpr std::array<FeatureCode, 16> kLabCodes{0, 1, 2, 3, 4, 19, 37, 38, 39, 35, 36, 13, 20, 28, 40, 41};

const char* const kGuessTitle = "Vermutung prüfen";
const char* const kCrystalHiddenMessage =
    "Im Labor bleibt der Kristall unbekannt; ein anderer Kristall geht nach dem Start eines Experiments.";

constexpr double kFullAngleDeg = 180.0;
constexpr double kReadingStepDeg = 0.01;  // the reading's last digit
// A bin counts as a peak's top above this share of a lone peak's height: far
// below any peak, far above the rounding of empty bins.
constexpr double kPeakTopShare = 0.01;
// What may stay of the curve once its peaks are taken away: the rounding of
// its single-precision bins, far below any peak's foot.
constexpr double kLeftover = 1e-3;

double OnGrid(double deg, double step)
{
    return std::clamp(std::round(deg / step) * step, 0.0, kFullAngleDeg);
}

// A number as typed, with a comma or a point; nothing else may follow.
std::optional<float> ParseTyped(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    if (!(in >> value) || !std::isfinite(value)) {
        return std::nullopt;
    }
    in >> std::ws;
    return in.eof() ? std::optional<float>(static_cast<float>(value)) : std::nullopt;
}

std::string VerdictText(const GuessVerdict& v, int guesses)
{
    if (v.solved) {
        return TrArgs("core", guesses == 1 ? "Gelöst nach %1 Vermutung" : "Gelöst nach %1 Vermutungen",
                      {std::to_string(guesses)});
    }
    std::string text = TrArgs("core", "%1 von %2 gemessenen Spitzen erklärt, ",
                              {std::to_string(v.explained), std::to_string(v.measured)});
    text += v.missing == 0
                ? Tr("core", "keine vorhergesagte fehlt")
                : TrArgs("core", v.missing == 1 ? "%1 vorhergesagte fehlt" : "%1 vorhergesagte fehlen",
                         {std::to_string(v.missing)});
    if (!v.complete) {
        text += Tr("core", " – Messung noch nicht vollständig: den Kristall einmal ganz drehen");
    }
    return text;
}

// The verdict as the list shows it: broken after its commas and colon and
// before its dash, so that each part fits the box.
std::vector<std::string> VerdictLines(const std::string& verdict)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < verdict.size(); ++i) {
        const std::string_view rest = std::string_view(verdict).substr(i);
        if (rest.starts_with(" – ")) {
            lines.push_back(line);
            line.clear();
            continue;  // the dash starts the next line
        }
        line += verdict[i];
        if ((verdict[i] == ',' || verdict[i] == ':') && rest.size() > 1 && rest[1] == ' ') {
            lines.push_back(line);
            line.clear();
            ++i;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

// The centres of the recorded peaks, degrees. Every peak has the same shape
// on the bin grid, so the curve comes apart from the left: the first bin of a
// peak tells how many reflections it holds, the whole peak is taken away, and
// on. Overlapping peaks so come apart where the eye sees one broad top; their
// centres lie on the grid, within half a bin of the reflections. Empty when
// the curve does not come apart so (a peak cut off at 0 degrees).
std::vector<double> PeakCentres(const std::array<float, kDiffractogramBins>& bins)
{
    std::array<double, kPeakSamples> shape{};
    float offset = -kPeakHalfSpanDeg;
    for (double& value : shape) {
        value = PeakShape(offset);
        offset = Single(static_cast<double>(offset) + kBinWidthDeg);
    }
    std::vector<double> rest(bins.begin(), bins.end());
    std::vector<double> centres;
    for (std::size_t first = 0; first < rest.size(); ++first) {
        const double reflections = std::round(rest[first] / shape[0]);
        if (reflections < 1.0) {
            continue;
        }
        for (std::size_t j = 0; j < shape.size() && first + j < rest.size(); ++j) {
            rest[first + j] -= reflections * shape[j];
        }
        centres.push_back(static_cast<double>(first + shape.size() / 2) * static_cast<double>(kBinWidthDeg));
    }
    const bool apart =
        std::all_of(rest.begin(), rest.end(), [](double r) { return std::fabs(r) < kLeftover; });
    return apart ? centres : std::vector<double>{};
}

// The tops of the curve: each highest bin refined by the parabola through it
// and its neighbours.
std::vector<double> CurveTops(const std::array<float, kDiffractogramBins>& bins)
{
    std::vector<double> tops;
    for (std::size_t i = 1; i + 1 < bins.size(); ++i) {
        const double left = bins[i - 1];
        const double mid = bins[i];
        const double right = bins[i + 1];
        if (mid <= kPeakTopShare * kPeakHeight || mid < left || mid <= right) {
            continue;
        }
        const double curvature = left - 2.0 * mid + right;
        const double offset = curvature < 0.0 ? 0.5 * (left - right) / curvature : 0.0;
        tops.push_back((static_cast<double>(i) + offset) * static_cast<double>(kBinWidthDeg));
    }
    return tops;
}

}  // namespace

void Session::StartLab(const LabChoice& choice)
{
    const std::optional<std::string> code = NormaliseClassCode(choice.code);
    if (!code) {
        return;  // the front ends check the code before
    }
    FormActivate();
    experiment_.reset();
    if (!inLab_) {
        crystalBeforeLab_ = state_.Crystal;
        scaleBeforeLab_ = measureScale_;
    }
    // In the lab before the first pass, so that none names the crystal.
    inLab_ = true;
    lab_ = LabChoice{*code, std::clamp(choice.seat, kLabFirstSeat, kLabLastSeat), choice.level};
    measureScale_ = true;
    cursorDeg_.reset();
    predictedDeg_.clear();
    verdict_.clear();
    lastVerdict_.reset();
    guessCount_ = 0;
    ChangeCrystal(state_, UnknownCrystal(lab_.code, lab_.seat, lab_.level));
    SetCaptionFrom(
        [this] {
            return TrArgs("core", "Unbekannter Kristall (Code %1, Platz %2)",
                          {lab_.code, std::to_string(lab_.seat)});
        },
        true);
    state_.Omega = 0.0f;
    state_.ActiveReflex = -1;
    ApplyFeatures(kLabCodes);
    panel_.ShowControl(Control::GroupBox8, true);
    panel_.PanelChanged();
    ResetToGroundPosition(state_);
    ClearDiffractogram();
}

void Session::LeaveLab()
{
    if (!inLab_) {
        return;
    }
    inLab_ = false;
    measureScale_ = scaleBeforeLab_;
    cursorDeg_.reset();
    predictedDeg_.clear();
    verdict_.clear();
    guessCount_ = 0;
    ChangeCrystal(state_, crystalBeforeLab_);
}

LabOverlay Session::MakeLabOverlay(const std::string& decimalSeparator) const
{
    LabOverlay lab;
    lab.unknownCrystal = inLab_;
    lab.scale = measureScale_;
    lab.cursorDeg = CursorDeg();
    if (lab.cursorDeg) {
        lab.cursorReading = CursorReadingText(*lab.cursorDeg, state_.Crystal.Lambda, decimalSeparator);
    }
    if (inLab_) {
        lab.predictedDeg = predictedDeg_;
        if (!lab.cursorReading.empty()) {
            lab.listLines.push_back(lab.cursorReading);
        }
        for (std::string& line : VerdictLines(verdict_)) {
            lab.listLines.push_back(std::move(line));
        }
    }
    return lab;
}

CrystalCheck Session::RefuseInLab() const
{
    CrystalCheck check;
    check.message = Tr("core", kCrystalHiddenMessage);
    return check;
}

void Session::SetMeasureScale(bool on)
{
    measureScale_ = on;
    DrawScene();
}

std::optional<double> Session::CursorDeg() const
{
    return measureScale_ ? cursorDeg_ : std::nullopt;
}

std::string Session::CursorReading() const
{
    const std::optional<double> deg = CursorDeg();
    return deg ? CursorReadingText(*deg, state_.Crystal.Lambda, panel_.DecimalSeparator()) : std::string();
}

void Session::SetCursor(double deg)
{
    cursorDeg_ = OnGrid(deg, kReadingStepDeg);
}

bool Session::PointerAt(int x, int y)
{
    if (!initialised_ || !measureScale_ || !panel_.IsChecked(Control::CheckBox2)) {
        return false;
    }
    const PlotFrame frame = DiffractogramFrame(state_);
    if (y < frame.bandTop || y >= RoundHalfEven(state_.ViewHeight)) {
        return false;
    }
    // A pixel is a third of a degree wide at the usual size: the pointer
    // lands on the arrow keys' grid.
    const double deg = OnGrid((x - frame.zeroX) / frame.pxPerDeg, kCursorStepDeg);
    if (cursorDeg_ == deg) {
        return false;
    }
    SetCursor(deg);
    DrawScene();
    return true;
}

void Session::MoveCursor(double deltaDeg)
{
    if (!measureScale_) {
        return;
    }
    SetCursor(cursorDeg_.value_or(0.0) + deltaDeg);
    DrawScene();
}

void Session::Button10Click()
{
    std::vector<double> peaks = PeakCentres(state_.Diffractogram);
    if (peaks.empty()) {
        peaks = CurveTops(state_.Diffractogram);
    }
    if (peaks.empty()) {
        return;
    }
    const double from = cursorDeg_.value_or(0.0);
    const double nearest = *std::min_element(peaks.begin(), peaks.end(), [from](double p, double q) {
        return std::fabs(p - from) < std::fabs(q - from);
    });
    measureScale_ = true;
    SetCursor(nearest);
    DrawScene();
}

void Session::Button11Click()
{
    if (!inLab_) {
        return;
    }
    // A field that holds no number is out of range like one that holds too
    // big a number: the crystal dialog's message names it.
    const auto typed = [this](Control edit) {
        return ParseTyped(panel_.ControlText(edit)).value_or(std::numeric_limits<float>::quiet_NaN());
    };
    const CrystalParams guess{typed(Control::Edit5), typed(Control::Edit6), typed(Control::Edit7),
                              kLabLambdaPm};
    if (const CrystalCheck check = CheckCrystal(guess); !check.accepted) {
        panel_.ShowMessage(Tr("core", kGuessTitle), check.message);
        return;
    }
    ++guessCount_;
    const std::vector<double> measured = MeasuredPeaks(state_);
    const GuessVerdict verdict = CompareGuess(measured, MeasurementComplete(state_), guess);
    predictedDeg_ = DistinctPeaks(guess);
    lastVerdict_ = verdict;
    verdict_ = VerdictText(verdict, guessCount_);
    DrawScene();
}

void Session::RetranslateVerdict()
{
    if (lastVerdict_) {
        verdict_ = VerdictText(*lastVerdict_, guessCount_);
    }
}

std::string Session::SceneDescription() const
{
    const std::string sep = panel_.DecimalSeparator();
    std::string text = inLab_ ? DescribeLabScene(state_, sep) : DescribeScene(state_, sep);
    if (const std::string reading = CursorReading(); !reading.empty()) {
        text += TrArgs("core", " Messcursor: %1.", {reading});
    }
    return text;
}

}  // namespace kb
