#include "feature_codes.h"

#include "model/rotation.h"
#include "session.h"

namespace kb {

// The reset first, in its fixed order, then the codes in list order. Every
// check box or radio item whose state actually changes runs its handler, and
// with it a scene pass, before the next step.
void Session::ApplyFeatures(std::span<const FeatureCode> codes)
{
    // The lab's group first: only the lab shows it, after its codes.
    panel_.ShowControl(Control::GroupBox8, false);
    Check(Control::primaer, false);
    panel_.ShowControl(Control::primaer, false);
    panel_.ShowControl(Control::GroupBox2, false);
    panel_.ShowControl(Control::Button6, false);
    panel_.ShowControl(Control::gebeugtCheck, false);
    Check(Control::gebeugtCheck, false);
    panel_.ShowControl(Control::CheckBox1, false);
    Check(Control::CheckBox5, false);
    panel_.ShowControl(Control::CheckBox5, false);
    Check(Control::CheckBox7, false);
    panel_.ShowControl(Control::CheckBox7, false);
    Check(Control::CheckBox1, false);
    Check(Control::CheckBox3, false);
    Check(Control::CheckBox4, false);
    panel_.ShowControl(Control::CheckBox4, false);
    Check(Control::CheckBox6, false);
    panel_.ShowControl(Control::CheckBox6, false);
    Check(Control::CheckBox8, false);
    panel_.ShowControl(Control::CheckBox8, false);
    Check(Control::CheckBox9, false);
    panel_.ShowControl(Control::CheckBox9, false);
    panel_.ShowControl(Control::GroupBox3, false);
    panel_.ShowControl(Control::GroupBox4, false);
    panel_.ShowControl(Control::GroupBox6, false);
    StopRotation();
    panel_.ShowControl(Control::GroupBox1, false);
    panel_.ShowControl(Control::GroupBox7, false);
    Check(Control::CheckBox2, false);
    panel_.ShowControl(Control::RadioGroup1, false);
    SelectRadioItem(0);
    Check(Control::CheckBox10, false);
    Check(Control::CheckBox11, false);
    Check(Control::CheckBox12, false);
    panel_.ShowControl(Control::CheckBox10, false);
    panel_.ShowControl(Control::CheckBox11, false);
    state_.ShowReadouts = false;
    state_.ShowIndexLabels = true;

    for (const FeatureCode code : codes) {
        switch (code) {
            case 0:
                panel_.ShowControl(Control::GroupBox6, true);
                break;
            case 1:
                Check(Control::primaer, true);
                break;
            case 2:
                panel_.ShowControl(Control::primaer, true);
                break;
            case 3:
                panel_.ShowControl(Control::gebeugtCheck, true);
                break;
            case 4:
                Check(Control::gebeugtCheck, true);
                break;
            case 5:
                Check(Control::CheckBox5, true);
                break;
            case 6:
                panel_.ShowControl(Control::CheckBox5, true);
                break;
            case 7:
                Check(Control::CheckBox7, true);
                break;
            case 8:
                panel_.ShowControl(Control::CheckBox7, true);
                break;
            case 9:
                panel_.ShowControl(Control::GroupBox3, true);
                break;
            case 10:
                panel_.ShowControl(Control::CheckBox1, true);
                break;
            case 11:
                Check(Control::CheckBox1, true);
                break;
            case 12:
                panel_.ShowControl(Control::Button6, true);
                break;
            case 13:
                panel_.ShowControl(Control::GroupBox2, true);
                break;
            case 14:
                panel_.ShowControl(Control::GroupBox4, true);
                break;
            case 15:
                break;
            case 16:
                Check(Control::CheckBox9, true);
                break;
            case 17:
                panel_.ShowControl(Control::CheckBox9, true);
                break;
            case 18:
                StartRotation();
                break;
            case 19:
                panel_.ShowControl(Control::GroupBox1, true);
                break;
            case 20:
                Check(Control::CheckBox2, true);
                break;
            case 21:
                SelectRadioItem(0);
                break;
            case 22:
                SelectRadioItem(1);
                break;
            case 23:
                SelectRadioItem(2);
                break;
            case 24:
                panel_.ShowControl(Control::CheckBox8, true);
                break;
            case 25:
                Check(Control::CheckBox8, true);
                break;
            case 26:
                Check(Control::CheckBox3, true);
                break;
            case 27:
                panel_.ShowControl(Control::CheckBox4, true);
                break;
            case 28:
                Check(Control::CheckBox4, true);
                break;
            case 29:
                panel_.ShowControl(Control::CheckBox6, true);
                break;
            case 30:
                Check(Control::CheckBox6, true);
                break;
            case 31:
                panel_.ShowControl(Control::RadioGroup1, true);
                break;
            case 32:
                PlaceInBraggPosition(state_, state_.Reflex10Index);
                break;
            case 33:
                PlaceInBraggPosition(state_, state_.Reflex01Index);
                break;
            case 34:
                Check(Control::CheckBox10, true);
                break;
            case 35:
                Check(Control::CheckBox11, true);
                break;
            case 36:
                Check(Control::CheckBox12, true);
                break;
            case 37:
                panel_.ShowControl(Control::GroupBox7, true);
                break;
            case 38:
                panel_.ShowControl(Control::CheckBox10, true);
                break;
            case 39:
                panel_.ShowControl(Control::CheckBox11, true);
                break;
            case 40:
                state_.ShowReadouts = true;
                break;
            case 41:
                state_.ShowIndexLabels = false;
                break;
            default:
                break;  // not a feature code
        }
    }
    panel_.PanelChanged();
}

}  // namespace kb
