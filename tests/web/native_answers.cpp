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
#include <string>
#include <vector>

#include "lesson/panel.h"
#include "lesson/session.h"
#include "web/draw_list_encoding.h"
#include "web/text_metrics.h"

namespace {

// The panel as plain state, like the node test's.
class StatePanel final : public kb::Panel {
public:
    int width = 615;
    int height = 568;
    std::map<kb::Control, bool> checked{{kb::Control::CheckBox5, true}, {kb::Control::CheckBox7, true}};
    int radio = 0;
    std::string edit2 = "1";
    std::vector<std::int32_t> encoded;
    std::map<kb::Control, bool> hidden;
    std::string caption = "Kein Experiment aktiv";
    std::string message;

    int ViewWidth() const override { return width; }
    int ViewHeight() const override { return height; }
    std::string DecimalSeparator() const override { return ","; }
    void ShowControl(kb::Control control, bool shown) override { hidden[control] = !shown; }
    bool IsChecked(kb::Control box) const override
    {
        const auto found = checked.find(box);
        return found != checked.end() && found->second;
    }
    void SetChecked(kb::Control box, bool on) override { checked[box] = on; }
    int RadioItem() const override { return radio; }
    void SelectRadioItem(int item) override { radio = item; }
    std::string ControlText(kb::Control) const override { return edit2; }
    void SetControlCaption(kb::Control, const std::string&) override {}
    void SetWindowCaption(const std::string& text) override { caption = text; }
    void PanelChanged() override {}
    void StartTimer(int) override {}
    void StopTimer() override {}
    void SetTimerInterval(int) override {}
    void ShowMessage(const std::string&, const std::string& text) override { message = text; }
    void FitReadoutFont(kb::Control, int, int, int, const std::string&, int) override {}
    void PlaceReadout(kb::Control, int, int, int, int) override {}
    void SetReadoutText(kb::Control, const std::string&) override {}
    void ShowPicture(const kb::DrawList& pass) override { kb::EncodeDrawList(pass, encoded); }
};

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

void Run(kb::Session& session, StatePanel& panel, const QString& step)
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

QJsonObject Lessons()
{
    QStringList inputs;
    for (int number = -1; number <= 14; ++number) {
        inputs << QString::number(number);
    }
    inputs << QStringLiteral("abc") << QStringLiteral("15");
    QJsonObject out;
    for (const QString& input : inputs) {
        StatePanel panel;
        kb::WebTextMetrics metrics;
        kb::Session session(panel, metrics);
        session.FormActivate();
        panel.edit2 = input.toStdString();
        session.Button9Click();
        QJsonObject lesson;
        lesson.insert(QLatin1String("caption"), QString::fromStdString(panel.caption));
        lesson.insert(QLatin1String("hidden"), NamesWhere(panel.hidden));
        lesson.insert(QLatin1String("checked"), NamesWhere(panel.checked));
        lesson.insert(QLatin1String("radio"), panel.radio);
        lesson.insert(QLatin1String("message"), QString::fromStdString(panel.message));
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
        StatePanel panel;
        kb::WebTextMetrics metrics;
        kb::Session session(panel, metrics);
        session.FormActivate();
        for (const QJsonValue& step : state.toObject().value(QLatin1String("steps")).toArray()) {
            Run(session, panel, step.toString());
        }
        QJsonArray list;
        for (const std::int32_t value : panel.encoded) {
            list.append(value);
        }
        out.insert(state.toObject().value(QLatin1String("name")).toString(), list);
    }
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
