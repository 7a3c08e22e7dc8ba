// The native core's answers that the browser edition is held against, as JSON.
//   web_native_answers <states.json>
//     runs each state and prints its draw list, encoded as the page receives
//     it: {"<state>": [...], ...}
//   web_native_answers --lessons
//     starts each experiment number of the catalogue on a fresh window, and
//     some that cannot be started, and prints the panel each leaves:
//     {"<Edit2 text>": {caption, hidden, checked, radio, message}, ...}
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lesson/panel.h"
#include "lesson/session.h"
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
        lesson.insert(QLatin1String("hidden"), NamesWhere(panel.hidden));
        lesson.insert(QLatin1String("checked"), Names(panel.checked));
        lesson.insert(QLatin1String("radio"), panel.radio);
        lesson.insert(QLatin1String("message"),
                      QString::fromStdString(panel.messages.empty() ? std::string() : panel.messages.back()));
        out.insert(input, lesson);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: web_native_answers <states.json> | --lessons\n");
        return 2;
    }
    if (std::string(argv[1]) == "--lessons") {
        std::fputs(QJsonDocument(Lessons()).toJson(QJsonDocument::Compact).constData(), stdout);
        return 0;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const QJsonArray states =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("states")).toArray();
    QJsonObject out;
    for (const QJsonValue& state : states) {
        kb::RecordingPanel panel;
        InitialPanel(panel);
        kb::WebTextMetrics metrics;
        kb::Session session(panel, metrics);
        session.FormActivate();
        for (const QJsonValue& step : state.toObject().value(QLatin1String("steps")).toArray()) {
            Run(session, panel, step.toString());
        }
        QJsonArray list;
        std::vector<std::int32_t> encoded;
        kb::EncodeDrawList(session.LatestPass(), encoded);
        for (const std::int32_t value : encoded) {
            list.append(value);
        }
        out.insert(state.toObject().value(QLatin1String("name")).toString(), list);
    }
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
