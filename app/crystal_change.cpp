#include <QMessageBox>
#include <QPushButton>

#include "app_language.h"
#include "crystal_dialog.h"
#include "main_window.h"
#include "model/diffractogram.h"

namespace kb {

void TForm1::ShowCrystalDialog()
{
    if (crystalDialog_ == nullptr) {
        crystalDialog_ =
            new CrystalDialog(this, [this](const CrystalParams& c) -> std::optional<CrystalCheck> {
                if (c != State().Crystal && AnyPeakRecorded(State()) && !ConfirmDiscardPeaks()) {
                    return std::nullopt;
                }
                return ApplyCrystal(c);
            });
    }
    crystalDialog_->SetCrystal(State().Crystal);
    crystalDialog_->open();
}

bool TForm1::ConfirmDiscardPeaks()
{
    QMessageBox box(QMessageBox::Warning, AppText("Kristall und Strahlung"),
                    AppText("Die aufgenommenen Messwerte gehen verloren."), QMessageBox::NoButton,
                    crystalDialog_ != nullptr ? static_cast<QWidget*>(crystalDialog_) : this);
    box.setObjectName(QStringLiteral("DiscardPeaksBox"));
    QPushButton* discard = box.addButton(AppText("Verwerfen"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(AppText("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == discard;
}

}  // namespace kb
