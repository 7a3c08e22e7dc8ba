#include "panel.h"

#include <array>

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

}  // namespace kb
