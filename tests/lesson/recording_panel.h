#pragma once

// A panel of plain data for running the lessons' core without a toolkit: it
// records what the session asks of it. Every control starts shown and
// unchecked, the drawing area at the window's start-up size.

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "lesson/panel.h"
#include "render/draw_list.h"

namespace kb {

class RecordingPanel final : public Panel {
public:
    int ViewWidth() const override { return width; }
    int ViewHeight() const override { return height; }
    std::string DecimalSeparator() const override { return ","; }
    void ShowControl(Control control, bool shown) override { hidden[control] = !shown; }
    bool IsChecked(Control box) const override { return checked.count(box) != 0; }
    void SetChecked(Control box, bool on) override
    {
        on ? (void)checked.insert(box) : (void)checked.erase(box);
    }
    int RadioItem() const override { return radio; }
    void SelectRadioItem(int item) override { radio = item; }
    std::string ControlText(Control control) const override
    {
        const auto it = texts.find(control);
        return it != texts.end() ? it->second : edit2;
    }
    void SetControlText(Control control, const std::string& text) override
    {
        (control == Control::Edit2 ? edit2 : texts[control]) = text;
    }
    void SetControlCaption(Control control, const std::string& text) override { captions[control] = text; }
    void SetWindowCaption(const std::string& text) override { caption = text; }
    void PanelChanged() override {}
    void StartTimer(int intervalMs) override { timerMs = intervalMs; }
    void StopTimer() override { timerMs = 0; }
    void SetTimerInterval(int) override {}
    void ShowMessage(const std::string&, const std::string& text) override { messages.push_back(text); }
    void FitReadoutFont(Control, int, int, int, const std::string&, int) override {}
    void PlaceReadout(Control, int, int, int, int) override {}
    void SetReadoutText(Control box, const std::string& text) override { readouts[box] = text; }
    void ShowPicture(const DrawList& pass) override { pictures.push_back(pass.ops.size()); }

    bool Shown(Control control) const
    {
        const auto it = hidden.find(control);
        return it == hidden.end() || !it->second;
    }

    int width = 615;
    int height = 568;
    std::map<Control, bool> hidden;
    std::set<Control> checked;
    int radio = 0;
    std::string edit2;
    std::map<Control, std::string> texts;  // other edits (the lab's cell), by control
    std::map<Control, std::string> captions;
    std::string caption;
    int timerMs = 0;  // 0 while stopped
    std::vector<std::string> messages;
    std::map<Control, std::string> readouts;
    std::vector<std::size_t> pictures;  // ops of each pass shown
};

// Text as wide as half its height per character: enough for layout rules.
class FakeMetrics final : public TextMetrics {
public:
    int TextWidth(const Font& font, std::string_view text) override
    {
        return font.height * static_cast<int>(text.size()) / 2;
    }
    int TextHeight(const Font& font, std::string_view) override { return font.height; }
};

}  // namespace kb
