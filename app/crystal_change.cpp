#include <QMessageBox>
#include <QPushButton>

#include "crystal_dialog.h"
#include "crystal_text.h"
#include "main_window.h"
#include "model/diffractogram.h"

namespace kb {

CrystalCheck TForm1::ApplyCrystal(const CrystalParams& crystal)
{
    if (crystal == state_.Crystal) {
        return CheckCrystal(crystal);  // the lesson, its rotation and its peaks go on
    }
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
        crystalDialog_ =
            new CrystalDialog(this, [this](const CrystalParams& c) -> std::optional<CrystalCheck> {
                if (c != state_.Crystal && AnyPeakRecorded(state_) && !ConfirmDiscardPeaks()) {
                    return std::nullopt;
                }
                return ApplyCrystal(c);
            });
    }
    crystalDialog_->SetCrystal(state_.Crystal);
    crystalDialog_->open();
}

bool TForm1::ConfirmDiscardPeaks()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kristall und Strahlung"),
                    QStringLiteral("Die aufgenommenen Messwerte gehen verloren."), QMessageBox::NoButton,
                    crystalDialog_ != nullptr ? static_cast<QWidget*>(crystalDialog_) : this);
    box.setObjectName(QStringLiteral("DiscardPeaksBox"));
    QPushButton* discard = box.addButton(QStringLiteral("Verwerfen"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == discard;
}

void TForm1::SetCaption(const QString& base)
{
    captionBase_ = base;
    setWindowTitle(base + CrystalCaptionSuffix(state_.Crystal, QLocale()));
}

}  // namespace kb
