#include "crystal_dialog.h"
#include "main_window.h"

namespace kb {

void TForm1::ShowCrystalDialog()
{
    if (crystalDialog_ == nullptr) {
        crystalDialog_ = new CrystalDialog(this, [this](const CrystalParams& c) { return ApplyCrystal(c); });
    }
    crystalDialog_->SetCrystal(State().Crystal);
    crystalDialog_->open();
}

}  // namespace kb
