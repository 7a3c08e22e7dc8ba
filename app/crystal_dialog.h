#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "model/crystal_choice.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace kb {

// The menu entry that opens the dialog.
inline constexpr const char* kCrystalMenuEntry = "&Kristall und Strahlung …";

// "Kristall und Strahlung": a, b, gamma and lambda with lattice and radiation
// presets. The dialog checks a choice itself, marks the fields out of range
// and on "OK" hands an acceptable one to `apply`, which reports what the
// simulation made of it, or nothing when the user kept the old crystal after
// all; an accepted choice closes the dialog. "Standard" only fills the fields,
// "Abbrechen" changes nothing.
class CrystalDialog final : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<std::optional<CrystalCheck>(const CrystalParams&)>;

    CrystalDialog(QWidget* parent, Apply apply);

    // Shows this crystal in the fields and the presets; clears any marking.
    void SetCrystal(const CrystalParams& crystal);
    // The crystal as the fields read now.
    CrystalParams Crystal() const;

    QComboBox* latticeChoice = nullptr;
    QDoubleSpinBox* aSpin = nullptr;
    QDoubleSpinBox* bSpin = nullptr;
    QDoubleSpinBox* gammaSpin = nullptr;
    QComboBox* radiationChoice = nullptr;
    QDoubleSpinBox* lambdaSpin = nullptr;
    QLabel* checkMessage = nullptr;
    QPushButton* standardButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void OkClicked();
    void LatticeChosen(int index);
    void RadiationChosen(int index);
    void ValuesEdited();
    // Marks the fields out of range and shows the verdict; true if acceptable.
    bool ShowCheck(const CrystalCheck& check);
    QDoubleSpinBox* FieldOf(CrystalField field) const;

    Apply apply_;
};

}  // namespace kb
