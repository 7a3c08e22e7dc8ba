#include "feature_codes.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

#include "main_window.h"
#include "model/rotation.h"

namespace kb {

// The reset first, in its fixed order, then the codes in list order. Every
// check box or radio item whose state actually changes runs its handler, and
// with it a scene pass, before the next step.
void TForm1::ApplyFeatures(std::span<const FeatureCode> codes)
{
    primaer->setChecked(false);
    primaer->hide();
    GroupBox2->hide();
    Button6->hide();
    gebeugtCheck->hide();
    gebeugtCheck->setChecked(false);
    CheckBox1->hide();
    CheckBox5->setChecked(false);
    CheckBox5->hide();
    CheckBox7->setChecked(false);
    CheckBox7->hide();
    CheckBox1->setChecked(false);
    CheckBox3->setChecked(false);
    CheckBox4->setChecked(false);
    CheckBox4->hide();
    CheckBox6->setChecked(false);
    CheckBox6->hide();
    CheckBox8->setChecked(false);
    CheckBox8->hide();
    CheckBox9->setChecked(false);
    CheckBox9->hide();
    GroupBox3->hide();
    GroupBox4->hide();
    GroupBox6->hide();
    StopRotation();
    GroupBox1->hide();
    GroupBox7->hide();
    CheckBox2->setChecked(false);
    RadioGroup1->hide();
    SetRadioGroup1ItemIndex(0);
    CheckBox10->setChecked(false);
    CheckBox11->setChecked(false);
    CheckBox12->setChecked(false);
    CheckBox10->hide();
    CheckBox11->hide();
    state_.ShowReadouts = false;
    state_.ShowIndexLabels = true;

    for (const FeatureCode code : codes) {
        switch (code) {
            case 0:
                GroupBox6->show();
                break;
            case 1:
                primaer->setChecked(true);
                break;
            case 2:
                primaer->show();
                break;
            case 3:
                gebeugtCheck->show();
                break;
            case 4:
                gebeugtCheck->setChecked(true);
                break;
            case 5:
                CheckBox5->setChecked(true);
                break;
            case 6:
                CheckBox5->show();
                break;
            case 7:
                CheckBox7->setChecked(true);
                break;
            case 8:
                CheckBox7->show();
                break;
            case 9:
                GroupBox3->show();
                break;
            case 10:
                CheckBox1->show();
                break;
            case 11:
                CheckBox1->setChecked(true);
                break;
            case 12:
                Button6->show();
                break;
            case 13:
                GroupBox2->show();
                break;
            case 14:
                GroupBox4->show();
                break;
            case 15:
                break;
            case 16:
                CheckBox9->setChecked(true);
                break;
            case 17:
                CheckBox9->show();
                break;
            case 18:
                StartRotation();
                break;
            case 19:
                GroupBox1->show();
                break;
            case 20:
                CheckBox2->setChecked(true);
                break;
            case 21:
                SetRadioGroup1ItemIndex(0);
                break;
            case 22:
                SetRadioGroup1ItemIndex(1);
                break;
            case 23:
                SetRadioGroup1ItemIndex(2);
                break;
            case 24:
                CheckBox8->show();
                break;
            case 25:
                CheckBox8->setChecked(true);
                break;
            case 26:
                CheckBox3->setChecked(true);
                break;
            case 27:
                CheckBox4->show();
                break;
            case 28:
                CheckBox4->setChecked(true);
                break;
            case 29:
                CheckBox6->show();
                break;
            case 30:
                CheckBox6->setChecked(true);
                break;
            case 31:
                RadioGroup1->show();
                break;
            case 32:
                PlaceInBraggPosition(state_, state_.Reflex10Index);
                break;
            case 33:
                PlaceInBraggPosition(state_, state_.Reflex01Index);
                break;
            case 34:
                CheckBox10->setChecked(true);
                break;
            case 35:
                CheckBox11->setChecked(true);
                break;
            case 36:
                CheckBox12->setChecked(true);
                break;
            case 37:
                GroupBox7->show();
                break;
            case 38:
                CheckBox10->show();
                break;
            case 39:
                CheckBox11->show();
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
    LayoutClientArea();  // the groups shown decide whether the panel scrolls
}

}  // namespace kb
