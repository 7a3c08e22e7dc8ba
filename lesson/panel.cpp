#include "panel.h"

#include <array>
#include <string_view>

#include "model/catalogue.h"

namespace kb {

const char* ControlName(Control control)
{
    static constexpr std::array<const char*, kControlCount> kNames{
        "GroupBox1",  "GroupBox2",   "GroupBox3",    "GroupBox4", "GroupBox5", "GroupBox6",  "GroupBox7",
        "Button1",    "Button2",     "Button3",      "Button5",   "Button6",   "Button7",    "Button8",
        "Button9",    "primaer",     "gebeugtCheck", "CheckBox1", "CheckBox2", "CheckBox3",  "CheckBox4",
        "CheckBox5",  "CheckBox6",   "CheckBox7",    "CheckBox8", "CheckBox9", "CheckBox10", "CheckBox11",
        "CheckBox12", "RadioGroup1", "Edit2",        "UpDown1",   "Edit3",     "Edit4",      "ListBox1",
        "GroupBox8",  "Button10",    "Edit5",        "Edit6",     "Edit7",     "Button11",
    };
    const auto index = static_cast<std::size_t>(control);
    return index < kNames.size() ? kNames[index] : "";
}

std::string AccessibleName(Control control, std::string_view caption)
{
    // The Omega check box shares its name with the Omega readout.
    std::string_view group;
    switch (control) {
        case Control::Button3:
            group = "Kristall drehen";
            break;
        case Control::Button9:
            group = "Experiment Nr.";
            break;
        case Control::CheckBox7:
            group = "Direktes Gitter";
            break;
        case Control::CheckBox9:
            group = "Reziprokes Gitter";
            break;
        case Control::CheckBox12:
            group = "Winkel zeigen";
            break;
        default:
            return {};
    }
    return std::string(caption) + ": " + Tr("core", group);
}

std::string AccessibleName(Control control)
{
    switch (control) {
        case Control::Button3:
        case Control::Button9:
            return AccessibleName(control, Tr("core", "Start"));
        case Control::CheckBox7:
        case Control::CheckBox9:
            return AccessibleName(control, Tr("core", "Achsen"));
        case Control::CheckBox12:
            return AccessibleName(control, Tr("core", "Omega"));
        default:
            return {};
    }
}

}  // namespace kb
