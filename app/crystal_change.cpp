#include "crystal_dialog.h"
#include "crystal_text.h"
#include "main_window.h"

namespace kb {

CrystalCheck TForm1::ApplyCrystal(const CrystalParams& crystal)
{
    const CrystalCheck check = ChangeCrystal(state_, crystal);
    if (!check.accepted) {
        return check;
    }
    StopRotation();
    SetCaption(captionBase_);
    DrawScene();
    return check;
}

void TForm1::ShowCrystalDialog()
{
    if (crystalDialog_ == nullptr) {
        crystalDialog_ = new CrystalDialog(this, [this](const CrystalParams& c) { return ApplyCrystal(c); });
    }
    crystalDialog_->SetCrystal(state_.Crystal);
    crystalDialog_->open();
}

void TForm1::SetCaption(const QString& base)
{
    captionBase_ = base;
    setWindowTitle(base + CrystalCaptionSuffix(state_.Crystal, QLocale()));
}

}  // namespace kb
