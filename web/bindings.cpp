// The core for the page: the session with its handlers, the panel carried out
// by a JavaScript object, each pass handed over as one integer array.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "draw_list_encoding.h"
#include "lesson/experiments.h"
#include "lesson/panel.h"
#include "lesson/session.h"
#include "lesson/state_link.h"
#include "model/catalogue.h"
#include "model/crystal_choice.h"
#include "model/diffractogram.h"
#include "model/guide_text.h"
#include "model/peak_match.h"
#include "model/unknown_crystal.h"
#include "render/measured_values.h"
#include "render/pass_geometry.h"
#include "text_metrics.h"

namespace kb {
namespace {

using emscripten::val;

// Panel on a JavaScript object with methods of the same names; controls go
// over by their layout names.
class JsPanel final : public Panel {
public:
    explicit JsPanel(val page) : page_(std::move(page)) {}

    int ViewWidth() const override { return page_.call<int>("ViewWidth"); }
    int ViewHeight() const override { return page_.call<int>("ViewHeight"); }
    std::string DecimalSeparator() const override { return page_.call<std::string>("DecimalSeparator"); }

    void ShowControl(Control control, bool shown) override
    {
        page_.call<void>("ShowControl", std::string(ControlName(control)), shown);
    }
    bool IsChecked(Control box) const override
    {
        return page_.call<bool>("IsChecked", std::string(ControlName(box)));
    }
    void SetChecked(Control box, bool checked) override
    {
        page_.call<void>("SetChecked", std::string(ControlName(box)), checked);
    }
    int RadioItem() const override { return page_.call<int>("RadioItem"); }
    void SelectRadioItem(int item) override { page_.call<void>("SelectRadioItem", item); }
    std::string ControlText(Control edit) const override
    {
        return page_.call<std::string>("ControlText", std::string(ControlName(edit)));
    }
    void SetControlText(Control edit, const std::string& text) override
    {
        page_.call<void>("SetControlText", std::string(ControlName(edit)), text);
    }
    void SetControlCaption(Control control, const std::string& caption) override
    {
        page_.call<void>("SetControlCaption", std::string(ControlName(control)), caption);
    }
    void SetWindowCaption(const std::string& caption) override
    {
        page_.call<void>("SetWindowCaption", caption);
    }
    void PanelChanged() override { page_.call<void>("PanelChanged"); }

    void StartTimer(int intervalMs) override { page_.call<void>("StartTimer", intervalMs); }
    void StopTimer() override { page_.call<void>("StopTimer"); }
    void SetTimerInterval(int intervalMs) override { page_.call<void>("SetTimerInterval", intervalMs); }

    void ShowMessage(const std::string& title, const std::string& text) override
    {
        page_.call<void>("ShowMessage", title, text);
    }

    void FitReadoutFont(Control box, int cellHeightPx, int boxWidth, int boxHeight, const std::string& texts,
                        int lines) override
    {
        page_.call<void>("FitReadoutFont", std::string(ControlName(box)), cellHeightPx, boxWidth, boxHeight,
                         texts, lines);
    }
    void PlaceReadout(Control box, int left, int top, int width, int height) override
    {
        page_.call<void>("PlaceReadout", std::string(ControlName(box)), left, top, width, height);
    }
    void SetReadoutText(Control box, const std::string& text) override
    {
        page_.call<void>("SetReadoutText", std::string(ControlName(box)), text);
    }

    // The view stays valid until the core next allocates; the page replays it
    // at once.
    void ShowPicture(const DrawList& pass) override
    {
        EncodeDrawList(pass, encoded_);
        page_.call<void>("ShowPicture", val(emscripten::typed_memory_view(encoded_.size(), encoded_.data())));
    }

private:
    val page_;
    std::vector<std::int32_t> encoded_;
};

struct CrystalResult {
    bool accepted = false;
    std::string message;
    int reflexCount = 0;  // reflections of an accepted crystal, as the desktop's dialog counts them
};

// The presets and accepted ranges of "Kristall und Strahlung", as the
// desktop dialog has them.
val CrystalChoices()
{
    val lattices = val::array();
    for (const LatticePreset& preset : kLatticePresets) {
        lattices.call<void>("push", val::array(std::vector<val>{val(std::string(preset.name)), val(preset.a),
                                                                val(preset.b), val(preset.gammaDeg)}));
    }
    val radiations = val::array();
    for (const RadiationPreset& preset : kRadiationPresets) {
        radiations.call<void>(
            "push", val::array(std::vector<val>{val(std::string(preset.name)), val(preset.lambda)}));
    }
    val ranges = val::object();
    ranges.set("lattice", val::array(std::vector<float>{kMinLatticePm, kMaxLatticePm}));
    ranges.set("gamma", val::array(std::vector<float>{kMinGammaDeg, kMaxGammaDeg}));
    ranges.set("lambda", val::array(std::vector<float>{kMinLambdaPm, kMaxLambdaPm}));
    val choices = val::object();
    choices.set("lattices", lattices);
    choices.set("radiations", radiations);
    choices.set("ranges", ranges);
    return choices;
}

val CrystalObject(const CrystalParams& c)
{
    val out = val::object();
    out.set("LatticeA", c.LatticeA);
    out.set("LatticeB", c.LatticeB);
    out.set("GammaDeg", c.GammaDeg);
    out.set("Lambda", c.Lambda);
    return out;
}

// A workbook as the page's writer takes it: plain arrays and one object per fact.
val WorkbookObject(const WorkbookContent& book)
{
    val rows = val::array();
    for (const std::vector<double>& row : book.rows) {
        rows.call<void>("push", val::array(row));
    }
    val facts = val::array();
    for (const WorkbookFact& fact : book.facts) {
        val line = val::object();
        line.set("name", fact.name);
        line.set("value", fact.number ? val(*fact.number) : val(fact.text));
        facts.call<void>("push", line);
    }
    val out = val::object();
    out.set("tableSheet", book.tableSheet);
    out.set("titles", val::array(book.titles));
    out.set("decimals", val::array(book.decimals));
    out.set("widths", val::array(book.widths));
    out.set("rows", rows);
    out.set("factsSheet", book.factsSheet);
    out.set("facts", facts);
    return out;
}

// The lab's class codes. The entropy comes as two 32-bit halves, since this
// embind passes no 64-bit integers.
std::string NewClassCodeFrom(unsigned high, unsigned low)
{
    return NewClassCode((static_cast<std::uint64_t>(high) << 32) | low);
}
// The normalised code, or null when the text is none.
val NormalisedClassCode(const std::string& typed)
{
    const std::optional<std::string> code = NormaliseClassCode(typed);
    return code ? val(*code) : val::null();
}
std::string TeacherKeyOf(const std::string& code)
{
    return TeacherKey(code);
}
bool IsTeacherKeyFor(const std::string& code, const std::string& typedKey)
{
    return IsTeacherKey(code, typedKey);
}
std::string SolutionTableOf(const std::string& code, const std::string& decimalSeparator)
{
    return SolutionTable(code, decimalSeparator);
}
val UnknownCrystalOf(const std::string& code, int seat, LabLevel level)
{
    return CrystalObject(UnknownCrystal(code, seat, level));
}

// One window's session on the page's panel.
class WebSession {
public:
    explicit WebSession(val page) : panel_(std::move(page)), session_(panel_, metrics_) {}

    CrystalResult ApplyCrystal(float latticeA, float latticeB, float gammaDeg, float lambda)
    {
        const CrystalCheck check = session_.ApplyCrystal(CrystalParams{latticeA, latticeB, gammaDeg, lambda});
        return {check.accepted, check.message, check.reflexCount};
    }
    CrystalResult CheckCrystalChoice(float latticeA, float latticeB, float gammaDeg, float lambda) const
    {
        const CrystalCheck check = CheckCrystal(CrystalParams{latticeA, latticeB, gammaDeg, lambda});
        return {check.accepted, check.message, check.reflexCount};
    }
    bool AnyPeakRecorded() const { return kb::AnyPeakRecorded(session_.State()); }
    // What the picture shows, in words, as the desktop describes its drawing
    // area: in the lab without indices, with the cursor's reading.
    std::string Description() const { return session_.SceneDescription(); }
    val Crystal() const { return CrystalObject(session_.State().Crystal); }
    std::string MeasuredValues(const std::string& decimalSeparator) const
    {
        return MeasuredValuesTable(session_.State(), decimalSeparator);
    }
    std::string Diffractogram(const std::string& decimalSeparator) const
    {
        return DiffractogramTable(session_.State(), decimalSeparator);
    }
    // The same as workbooks, named after the lesson as the desktop's are.
    val ValuesWorkbook() const
    {
        return WorkbookObject(MeasuredValuesWorkbook(session_.State(), session_.CaptionBase()));
    }
    val DiffractogramBook() const
    {
        return WorkbookObject(DiffractogramWorkbook(session_.State(), session_.CaptionBase()));
    }

    // The lab.
    void StartLab(const LabChoice& choice) { session_.StartLab(choice); }
    bool InLab() const { return session_.InLab(); }
    LabChoice Lab() const { return session_.Lab(); }
    void SetMeasureScale(bool on) { session_.SetMeasureScale(on); }
    bool MeasureScale() const { return session_.MeasureScale(); }
    bool PointerAt(int x, int y) { return session_.PointerAt(x, y); }
    void MoveCursor(double deltaDeg) { session_.MoveCursor(deltaDeg); }
    void Button10Click() { session_.Button10Click(); }
    void Button11Click() { session_.Button11Click(); }
    // Degrees, or null without a cursor.
    val CursorDeg() const
    {
        const std::optional<double> deg = session_.CursorDeg();
        return deg ? val(*deg) : val::null();
    }
    std::string CursorReading() const { return session_.CursorReading(); }
    std::string Verdict() const { return session_.Verdict(); }
    int GuessCount() const { return session_.GuessCount(); }
    // The peaks recorded so far (degrees, ascending) and whether they cover a
    // full turn: what a guess is held against.
    val MeasuredPeaks() const { return val::array(kb::MeasuredPeaks(session_.State())); }
    bool MeasurementComplete() const { return kb::MeasurementComplete(session_.State()); }

    // What the tests and the benchmark look at.
    double OmegaDeg() const { return static_cast<double>(session_.State().Omega) * kRadToDegExact; }
    int ActiveReflex() const { return session_.State().ActiveReflex; }
    int ReflexCount() const { return session_.State().ReflexCount; }
    int ScenePassCount() const { return session_.ScenePassCount(); }
    bool TimerRunning() const { return session_.TimerRunning(); }
    int TimerIntervalMs() const { return static_cast<int>(session_.TimerIntervalMs()); }

    void FormActivate() { session_.FormActivate(); }
    void FormResize() { session_.FormResize(); }
    void DrawScene() { session_.DrawScene(); }
    void Button2Click() { session_.Button2Click(); }
    void Button3Click() { session_.Button3Click(); }
    void Button5Click() { session_.Button5Click(); }
    void Button6Click() { session_.Button6Click(); }
    void Button7Click() { session_.Button7Click(); }
    void Button8Click() { session_.Button8Click(); }
    void Button9Click() { session_.Button9Click(); }
    void Edit2Enter() { session_.Edit2Enter(); }
    // A link's fragment opened: empty when applied, else the message
    // and nothing changed.
    std::string OpenState(const std::string& fragment) { return OpenStateFragment(session_, fragment); }
    std::string CurrentStateFragment() const { return StateFragment(session_); }
    // Every text in `code` at once; lesson, crystal, Omega and the peaks stay.
    bool SetLanguage(const std::string& code) { return session_.SetLanguage(code); }
    void StartExperiment(int number) { session_.StartExperiment(number); }
    void Timer1Timer() { session_.Timer1Timer(); }
    void DisplayControlClick() { session_.DisplayControlClick(); }

private:
    WebTextMetrics metrics_;
    JsPanel panel_;
    Session session_;
};

// The lessons as a list offers them: [[number, "12: title"], ...].
val ExperimentList()
{
    val list = val::array();
    for (const Experiment& experiment : ExperimentCatalogue()) {
        val entry = val::array();
        entry.call<void>("push", experiment.number);
        entry.call<void>("push", ExperimentMenuText(experiment));
        list.call<void>("push", entry);
    }
    return list;
}

// The accessible name of the control with layout name `name` showing
// `caption`; empty where the caption alone is enough.
std::string AccessibleNameOf(const std::string& name, const std::string& caption)
{
    for (int i = 0; i < kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        if (name == ControlName(control)) {
            return caption.empty() ? AccessibleName(control) : AccessibleName(control, caption);
        }
    }
    return {};
}

// The languages the catalogue holds, "de" first.
val Languages()
{
    return val::array(AvailableLanguages());
}
std::string CurrentLanguageCode()
{
    return CurrentLanguage();
}
std::string LanguageNameOf(const std::string& code)
{
    return LanguageName(code);
}
std::string SeparatorOf(const std::string& code)
{
    return DecimalSeparatorOf(code);
}
std::string Translated(const std::string& context, const std::string& german)
{
    return Tr(context, german);
}

// The page's guide in the language in use (embind takes no string_view).
std::string TranslatedGuide(const std::string& germanHtml)
{
    return TranslateGuide(germanHtml);
}

}  // namespace
}  // namespace kb

EMSCRIPTEN_BINDINGS(kristallbeugung)
{
    using namespace emscripten;
    using kb::WebSession;

    value_object<kb::LabChoice>("LabChoice")
        .field("code", &kb::LabChoice::code)
        .field("seat", &kb::LabChoice::seat)
        .field("level", &kb::LabChoice::level);

    value_object<kb::CrystalResult>("CrystalResult")
        .field("accepted", &kb::CrystalResult::accepted)
        .field("message", &kb::CrystalResult::message)
        .field("reflexCount", &kb::CrystalResult::reflexCount);

    function("CrystalChoices", &kb::CrystalChoices);
    function("ExperimentList", &kb::ExperimentList);
    function("AccessibleName", &kb::AccessibleNameOf);
    function("AvailableLanguages", &kb::Languages);
    function("CurrentLanguage", &kb::CurrentLanguageCode);
    function("LanguageName", &kb::LanguageNameOf);
    function("DecimalSeparatorOf", &kb::SeparatorOf);
    function("Tr", &kb::Translated);
    function("TranslateGuide", &kb::TranslatedGuide);

    enum_<kb::LabLevel>("LabLevel")
        .value("Rectangular", kb::LabLevel::Rectangular)
        .value("Oblique", kb::LabLevel::Oblique);
    constant("kLabFirstSeat", kb::kLabFirstSeat);
    constant("kLabLastSeat", kb::kLabLastSeat);
    constant("kCursorStepDeg", kb::kCursorStepDeg);
    constant("kCursorBigStepDeg", kb::kCursorBigStepDeg);
    function("NewClassCode", &kb::NewClassCodeFrom);
    function("NormaliseClassCode", &kb::NormalisedClassCode);
    function("TeacherKey", &kb::TeacherKeyOf);
    function("IsTeacherKey", &kb::IsTeacherKeyFor);
    function("SolutionTable", &kb::SolutionTableOf);
    function("UnknownCrystal", &kb::UnknownCrystalOf);

    class_<WebSession>("Session")
        .constructor<val>()
        .function("ApplyCrystal", &WebSession::ApplyCrystal)
        .function("CheckCrystal", &WebSession::CheckCrystalChoice)
        .function("Crystal", &WebSession::Crystal)
        .function("AnyPeakRecorded", &WebSession::AnyPeakRecorded)
        .function("Description", &WebSession::Description)
        .function("MeasuredValues", &WebSession::MeasuredValues)
        .function("OmegaDeg", &WebSession::OmegaDeg)
        .function("ActiveReflex", &WebSession::ActiveReflex)
        .function("ReflexCount", &WebSession::ReflexCount)
        .function("ScenePassCount", &WebSession::ScenePassCount)
        .function("TimerRunning", &WebSession::TimerRunning)
        .function("TimerIntervalMs", &WebSession::TimerIntervalMs)
        .function("FormActivate", &WebSession::FormActivate)
        .function("FormResize", &WebSession::FormResize)
        .function("DrawScene", &WebSession::DrawScene)
        .function("Button2Click", &WebSession::Button2Click)
        .function("Button3Click", &WebSession::Button3Click)
        .function("Button5Click", &WebSession::Button5Click)
        .function("Button6Click", &WebSession::Button6Click)
        .function("Button7Click", &WebSession::Button7Click)
        .function("Button8Click", &WebSession::Button8Click)
        .function("Button9Click", &WebSession::Button9Click)
        .function("Edit2Enter", &WebSession::Edit2Enter)
        .function("OpenState", &WebSession::OpenState)
        .function("StateFragment", &WebSession::CurrentStateFragment)
        .function("SetLanguage", &WebSession::SetLanguage)
        .function("StartExperiment", &WebSession::StartExperiment)
        .function("Timer1Timer", &WebSession::Timer1Timer)
        .function("DisplayControlClick", &WebSession::DisplayControlClick)
        .function("DiffractogramTable", &WebSession::Diffractogram)
        .function("ValuesWorkbook", &WebSession::ValuesWorkbook)
        .function("DiffractogramWorkbook", &WebSession::DiffractogramBook)
        .function("StartLab", &WebSession::StartLab)
        .function("InLab", &WebSession::InLab)
        .function("Lab", &WebSession::Lab)
        .function("SetMeasureScale", &WebSession::SetMeasureScale)
        .function("MeasureScale", &WebSession::MeasureScale)
        .function("PointerAt", &WebSession::PointerAt)
        .function("MoveCursor", &WebSession::MoveCursor)
        .function("Button10Click", &WebSession::Button10Click)
        .function("Button11Click", &WebSession::Button11Click)
        .function("CursorDeg", &WebSession::CursorDeg)
        .function("CursorReading", &WebSession::CursorReading)
        .function("Verdict", &WebSession::Verdict)
        .function("GuessCount", &WebSession::GuessCount)
        .function("MeasuredPeaks", &WebSession::MeasuredPeaks)
        .function("MeasurementComplete", &WebSession::MeasurementComplete);
}
