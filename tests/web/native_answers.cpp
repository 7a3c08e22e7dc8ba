// The native core's answers that the browser edition is held against, as JSON.
//   web_native_answers <states.json>
//     runs each state and prints its draw list, encoded as the page receives
//     it: {"<state>": [...], ...}
//   web_native_answers --lessons
//     starts each experiment number of the catalogue on a fresh window, and
//     some that cannot be started, and prints the panel each leaves:
//     {"<Edit2 text>": {caption, hidden, checked, radio, message}, ...}
//   web_native_answers --labs <states.json>
//     runs each of the file's labs and prints what a student sees of it:
//     {"<lab>": {caption, crystal, peaks, complete, verdict, guesses, cursor,
//     reading, readouts}, ...}
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "lesson/panel.h"
#include "lesson/session.h"
#include "model/peak_match.h"
#include "tests/lesson/recording_panel.h"
#include "web/draw_list_encoding.h"
#include "web/text_metrics.h"

namespace {

// The page's panel before the first lesson: the layout checks two boxes and
// shows "1" in "Experiment Nr.".
void InitialPanel(kb::RecordingPanel& panel)
{
    panel.checked = {kb::Control::CheckBox5, kb::Control::CheckBox7};
    panel.edit2 = "1";
}

// A full turn: ticks until every reflection is recorded; a lab crystal needs
// fewer than two turns of the rotation's quarter degrees.
constexpr int kMaxTurnTicks = 3000;

// A cell as typed into Edit5 to Edit7, with the panel's separator.
std::string Typed(float value)
{
    return QString::number(static_cast<double>(value), 'f', 1)
        .replace(QLatin1Char('.'), QLatin1Char(','))
        .toStdString();
}

kb::Control ControlNamed(const QString& name)
{
    for (int i = 0; i < kb::kControlCount; ++i) {
        const auto control = static_cast<kb::Control>(i);
        if (name == QLatin1String(kb::ControlName(control))) {
            return control;
        }
    }
    std::fprintf(stderr, "unknown control %s\n", qPrintable(name));
    std::exit(2);
}

void Run(kb::Session& session, kb::RecordingPanel& panel, const QString& step)
{
    const QStringList words = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(0);
    const auto count = [&] { return words.value(1).toInt(); };
    if (verb == QLatin1String("experiment")) {
        panel.edit2 = words.value(1).toStdString();
        session.Button9Click();
    } else if (verb == QLatin1String("ticks")) {
        for (int i = 0; i < count(); ++i) {
            session.Timer1Timer();
        }
    } else if (verb == QLatin1String("next")) {
        for (int i = 0; i < count(); ++i) {
            session.Button6Click();
        }
    } else if (verb == QLatin1String("crystal") && words.size() == 5) {
        session.ApplyCrystal(kb::CrystalParams{words[1].toFloat(), words[2].toFloat(), words[3].toFloat(),
                                               words[4].toFloat()});
    } else if (verb == QLatin1String("check") && words.size() == 3) {
        panel.SetChecked(ControlNamed(words[1]), words[2] == QLatin1String("on"));
        session.DisplayControlClick();
    } else if (verb == QLatin1String("lab") && words.size() == 4) {
        const auto level =
            words[3] == QLatin1String("schiefwinklig") ? kb::LabLevel::Oblique : kb::LabLevel::Rectangular;
        session.StartLab(kb::LabChoice{words[1].toStdString(), words[2].toInt(), level});
    } else if (verb == QLatin1String("turn")) {
        for (int i = 0; i < kMaxTurnTicks && !kb::MeasurementComplete(session.State()); ++i) {
            session.Timer1Timer();
        }
    } else if (verb == QLatin1String("scale") && words.size() == 2) {
        session.SetMeasureScale(words[1] == QLatin1String("on"));
    } else if (verb == QLatin1String("pointer") && words.size() == 3) {
        session.PointerAt(words[1].toInt(), words[2].toInt());
    } else if (verb == QLatin1String("cursor") && words.size() == 2) {
        session.MoveCursor(words[1].toDouble());
    } else if (verb == QLatin1String("peak")) {
        session.Button10Click();
    } else if (verb == QLatin1String("guess") && (words.size() == 2 || words.size() == 4)) {
        // "guess true": the crystal's own cell; otherwise a, b and gamma as typed.
        const kb::CrystalParams& c = session.State().Crystal;
        const bool own = words.size() == 2;
        panel.texts[kb::Control::Edit5] = own ? Typed(c.LatticeA) : words[1].toStdString();
        panel.texts[kb::Control::Edit6] = own ? Typed(c.LatticeB) : words[2].toStdString();
        panel.texts[kb::Control::Edit7] = own ? Typed(c.GammaDeg) : words[3].toStdString();
        session.Button11Click();
    } else if (verb == QLatin1String("size") && words.size() == 3) {
        panel.width = words[1].toInt();
        panel.height = words[2].toInt();
        session.FormResize();
    } else {
        std::fprintf(stderr, "unknown step \"%s\"\n", qPrintable(step));
        std::exit(2);
    }
}

QJsonArray NamesWhere(const std::map<kb::Control, bool>& flags)
{
    QJsonArray names;
    for (const auto& [control, on] : flags) {
        if (on) {
            names.append(QLatin1String(kb::ControlName(control)));
        }
    }
    return names;
}

QJsonArray Names(const std::set<kb::Control>& controls)
{
    QJsonArray names;
    for (const kb::Control control : controls) {
        names.append(QLatin1String(kb::ControlName(control)));
    }
    return names;
}

QJsonObject Lessons()
{
    QStringList inputs;
    for (int number = -1; number <= 14; ++number) {
        inputs << QString::number(number);
    }
    inputs << QStringLiteral("abc") << QStringLiteral("15");
    QJsonObject out;
    for (const QString& input : inputs) {
        kb::RecordingPanel panel;
        InitialPanel(panel);
        kb::WebTextMetrics metrics;
        kb::Session session(panel, metrics);
        session.FormActivate();
        panel.edit2 = input.toStdString();
        session.Button9Click();
        QJsonObject lesson;
        lesson.insert(QLatin1String("caption"), QString::fromStdString(panel.caption));
        // The window's own controls: the lab's group is hidden in every
        // lesson, as the page starts; the lab's tests hold it.
        std::map<kb::Control, bool> hidden = panel.hidden;
        std::erase_if(hidden, [](const auto& entry) { return entry.first >= kb::Control::GroupBox8; });
        lesson.insert(QLatin1String("hidden"), NamesWhere(hidden));
        lesson.insert(QLatin1String("checked"), Names(panel.checked));
        lesson.insert(QLatin1String("radio"), panel.radio);
        lesson.insert(QLatin1String("message"),
                      QString::fromStdString(panel.messages.empty() ? std::string() : panel.messages.back()));
        out.insert(input, lesson);
    }
    return out;
}

// What a student sees of a lab after its steps, and what the check holds
// the guesses against.
QJsonObject LabAnswer(const kb::Session& session, const kb::RecordingPanel& panel)
{
    const kb::CrystalParams& c = session.State().Crystal;
    QJsonArray peaks;
    for (const double deg : kb::MeasuredPeaks(session.State())) {
        peaks.append(deg);
    }
    const auto readout = [&](kb::Control box) {
        const auto it = panel.readouts.find(box);
        return QString::fromStdString(it == panel.readouts.end() ? std::string() : it->second);
    };
    const std::optional<double> cursor = session.CursorDeg();
    QJsonObject answer;
    answer.insert(QLatin1String("caption"), QString::fromStdString(panel.caption));
    answer.insert(QLatin1String("crystal"),
                  QJsonArray{static_cast<double>(c.LatticeA), static_cast<double>(c.LatticeB),
                             static_cast<double>(c.GammaDeg), static_cast<double>(c.Lambda)});
    answer.insert(QLatin1String("peaks"), peaks);
    answer.insert(QLatin1String("complete"), kb::MeasurementComplete(session.State()));
    answer.insert(QLatin1String("verdict"), QString::fromStdString(session.Verdict()));
    answer.insert(QLatin1String("guesses"), session.GuessCount());
    answer.insert(QLatin1String("cursor"), cursor ? QJsonValue(*cursor) : QJsonValue());
    answer.insert(QLatin1String("reading"), QString::fromStdString(session.CursorReading()));
    answer.insert(
        QLatin1String("readouts"),
        QJsonArray{readout(kb::Control::Edit3), readout(kb::Control::Edit4), readout(kb::Control::ListBox1)});
    return answer;
}

// Each state of `key` in the file, run on a fresh window, answered by `answer`.
template <typename Answer>
QJsonObject RunStates(const QJsonObject& file, const char* key, Answer answer)
{
    QJsonObject out;
    for (const QJsonValue& state : file.value(QLatin1String(key)).toArray()) {
        kb::RecordingPanel panel;
        InitialPanel(panel);
        kb::WebTextMetrics metrics;
        kb::Session session(panel, metrics);
        session.FormActivate();
        for (const QJsonValue& step : state.toObject().value(QLatin1String("steps")).toArray()) {
            Run(session, panel, step.toString());
        }
        out.insert(state.toObject().value(QLatin1String("name")).toString(), answer(session, panel));
    }
    return out;
}

QJsonArray EncodedPass(const kb::Session& session, const kb::RecordingPanel&)
{
    QJsonArray list;
    std::vector<std::int32_t> encoded;
    kb::EncodeDrawList(session.LatestPass(), encoded);
    for (const std::int32_t value : encoded) {
        list.append(value);
    }
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool labs = args.size() == 2 && args[0] == QLatin1String("--labs");
    if (args.size() != 1 && !labs) {
        std::fprintf(stderr, "usage: web_native_answers <states.json> | --lessons | --labs <states.json>\n");
        return 2;
    }
    if (args[0] == QLatin1String("--lessons")) {
        std::fputs(QJsonDocument(Lessons()).toJson(QJsonDocument::Compact).constData(), stdout);
        return 0;
    }
    QFile file(args.last());
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.last()));
        return 2;
    }
    const QJsonObject states = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject out =
        labs ? RunStates(states, "labs", LabAnswer) : RunStates(states, "states", EncodedPass);
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
