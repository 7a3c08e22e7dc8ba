#include "crystal_dialog.h"

#include <QAccessible>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app_language.h"
#include "crystal_text.h"

namespace kb {
namespace {

const char* const kFree = "frei";
const QColor kMarkedBackground(0xFF, 0xD6, 0xD6);
const QColor kMessageColour(0xB0, 0x00, 0x00);

// Either decimal separator stands for the locale's: a class types "154.051"
// and "154,051" alike, whatever the desktop's settings. Crystal values never
// need a group separator.
QString WithLocaleSeparator(QString text, const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    text.replace(QLatin1Char('.'), point);
    text.replace(QLatin1Char(','), point);
    return text;
}

// Shows the values the way the caption does, "300 pm" rather than "300,000 pm".
class CrystalSpinBox final : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;

    QString textFromValue(double value) const override { return CrystalNumber(value, locale()); }
    double valueFromText(const QString& text) const override
    {
        return QDoubleSpinBox::valueFromText(WithLocaleSeparator(text, locale()));
    }
    // The field shows the typed separator as the locale's.
    QValidator::State validate(QString& text, int& pos) const override
    {
        text = WithLocaleSeparator(text, locale());
        return QDoubleSpinBox::validate(text, pos);
    }
};

// The box's own range is wider than the accepted one, so that a value outside
// can be typed, and then refused with a reason instead of silently clamped.
QDoubleSpinBox* MakeField(QWidget* parent, const char* name, const QString& suffix, double maximum,
                          double step, const QString& accessibleName, const QString& range)
{
    auto* spin = new CrystalSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setDecimals(kCrystalDecimals);
    spin->setRange(0.0, maximum);
    spin->setSingleStep(step);
    spin->setSuffix(suffix);
    spin->setAccessibleName(accessibleName);
    spin->setAccessibleDescription(range);
    spin->setToolTip(range);
    spin->setProperty("range", range);
    spin->setProperty("normalPalette", spin->palette());
    spin->setMinimumWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("0000,000 pm")) + 40);
    return spin;
}

void Mark(QDoubleSpinBox* spin, const QString& why)
{
    QPalette palette = spin->property("normalPalette").value<QPalette>();
    if (!why.isEmpty()) {
        palette.setColor(QPalette::Base, kMarkedBackground);
    }
    spin->setPalette(palette);
    const QString range = spin->property("range").toString();
    spin->setAccessibleDescription(why.isEmpty() ? range : AppText("Ungültig: ") + why);
    spin->setToolTip(why.isEmpty() ? range : why);
}

void Select(QComboBox* box, const QString& text)
{
    const QSignalBlocker block(box);
    box->setCurrentIndex(box->findText(text));
}

}  // namespace

CrystalDialog::CrystalDialog(QWidget* parent, Apply apply) : QDialog(parent), apply_(std::move(apply))
{
    setObjectName(QStringLiteral("CrystalDialog"));
    setWindowTitle(QStringLiteral("Kristall und Strahlung"));

    auto* latticeGroup = new QGroupBox(QStringLiteral("Kristallgitter"), this);
    latticeChoice = new QComboBox(latticeGroup);
    latticeChoice->setObjectName(QStringLiteral("latticeChoice"));
    for (const LatticePreset& preset : kLatticePresets) {
        latticeChoice->addItem(AppText(preset.name));
    }
    latticeChoice->addItem(AppText(kFree));
    aSpin = MakeField(latticeGroup, "aSpin", QStringLiteral(" pm"), 9999.0, 10.0,
                      QStringLiteral("Gitterkonstante a"), QStringLiteral("100 bis 1000 pm"));
    bSpin = MakeField(latticeGroup, "bSpin", QStringLiteral(" pm"), 9999.0, 10.0,
                      QStringLiteral("Gitterkonstante b"), QStringLiteral("100 bis 1000 pm"));
    gammaSpin = MakeField(latticeGroup, "gammaSpin", QStringLiteral("°"), 180.0, 1.0,
                          QStringLiteral("Gitterwinkel γ"), QStringLiteral("60° bis 150°"));
    auto* latticeForm = new QFormLayout(latticeGroup);
    latticeForm->addRow(QStringLiteral("&Gitter:"), latticeChoice);
    latticeForm->addRow(QStringLiteral("Gitterkonstante &a:"), aSpin);
    latticeForm->addRow(QStringLiteral("Gitterkonstante &b:"), bSpin);
    latticeForm->addRow(QStringLiteral("&Winkel γ:"), gammaSpin);

    auto* radiationGroup = new QGroupBox(QStringLiteral("Röntgenstrahlung"), this);
    radiationChoice = new QComboBox(radiationGroup);
    radiationChoice->setObjectName(QStringLiteral("radiationChoice"));
    for (const RadiationPreset& preset : kRadiationPresets) {
        radiationChoice->addItem(AppText(preset.name));
    }
    radiationChoice->addItem(AppText(kFree));
    lambdaSpin = MakeField(radiationGroup, "lambdaSpin", QStringLiteral(" pm"), 9999.0, 1.0,
                           QStringLiteral("Wellenlänge λ"), QStringLiteral("50 bis 500 pm"));
    auto* radiationForm = new QFormLayout(radiationGroup);
    radiationForm->addRow(QStringLiteral("&Strahlung:"), radiationChoice);
    radiationForm->addRow(QStringLiteral("W&ellenlänge λ:"), lambdaSpin);

    // One column of fields through both groups.
    QList<QWidget*> labels;
    for (QWidget* field : QList<QWidget*>{latticeChoice, aSpin, bSpin, gammaSpin}) {
        labels << latticeForm->labelForField(field);
    }
    for (QWidget* field : QList<QWidget*>{radiationChoice, lambdaSpin}) {
        labels << radiationForm->labelForField(field);
    }
    int labelWidth = 0;
    for (QWidget* label : labels) {
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    }
    for (QWidget* label : labels) {
        label->setMinimumWidth(labelWidth);
    }

    // The core rounds what the fields hold to as many decimals as they show.
    auto* digitsNote = new QLabel(QStringLiteral("Die Werte zählen auf drei Nachkommastellen."), this);
    digitsNote->setObjectName(QStringLiteral("digitsNote"));

    // No accessible name of its own: a screen reader reads the message itself.
    checkMessage = new QLabel(this);
    checkMessage->setObjectName(QStringLiteral("checkMessage"));
    checkMessage->setWordWrap(true);
    checkMessage->setTextFormat(Qt::PlainText);

    // Enter on a focused button presses that one, elsewhere "OK"; Esc cancels.
    standardButton = new QPushButton(QStringLiteral("S&tandard"), this);
    standardButton->setObjectName(QStringLiteral("standardButton"));
    standardButton->setToolTip(QStringLiteral("Trägt den Standardkristall in die Felder ein"));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(standardButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(latticeGroup);
    layout->addWidget(radiationGroup);
    layout->addWidget(digitsNote);
    layout->addWidget(checkMessage);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QList<QWidget*> tabOrder = {latticeChoice, aSpin,          bSpin,    gammaSpin,   radiationChoice,
                                      lambdaSpin,    standardButton, okButton, cancelButton};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    }

    connect(latticeChoice, &QComboBox::activated, this, &CrystalDialog::LatticeChosen);
    connect(radiationChoice, &QComboBox::activated, this, &CrystalDialog::RadiationChosen);
    for (QDoubleSpinBox* spin : {aSpin, bSpin, gammaSpin, lambdaSpin}) {
        connect(spin, &QDoubleSpinBox::valueChanged, this, &CrystalDialog::ValuesEdited);
    }
    connect(okButton, &QPushButton::clicked, this, &CrystalDialog::OkClicked);
    connect(standardButton, &QPushButton::clicked, this, [this] { SetCrystal(kStandardCrystal); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    SetCrystal(kStandardCrystal);
    TranslateTexts(this);
}

void CrystalDialog::SetCrystal(const CrystalParams& crystal)
{
    for (auto [spin, value] :
         {std::pair{aSpin, crystal.LatticeA}, std::pair{bSpin, crystal.LatticeB},
          std::pair{gammaSpin, crystal.GammaDeg}, std::pair{lambdaSpin, crystal.Lambda}}) {
        const QSignalBlocker block(spin);
        spin->setValue(value);
    }
    ValuesEdited();
}

CrystalParams CrystalDialog::Crystal() const
{
    return {static_cast<float>(aSpin->value()), static_cast<float>(bSpin->value()),
            static_cast<float>(gammaSpin->value()), static_cast<float>(lambdaSpin->value())};
}

QDoubleSpinBox* CrystalDialog::FieldOf(CrystalField field) const
{
    switch (field) {
        case CrystalField::LatticeA:
            return aSpin;
        case CrystalField::LatticeB:
            return bSpin;
        case CrystalField::Gamma:
            return gammaSpin;
        case CrystalField::Lambda:
            return lambdaSpin;
    }
    return aSpin;
}

void CrystalDialog::LatticeChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(kLatticePresets.size())) {
        return;  // "frei" keeps the values
    }
    const LatticePreset& preset = kLatticePresets[static_cast<std::size_t>(index)];
    CrystalParams crystal = Crystal();
    crystal.LatticeA = preset.a;
    crystal.LatticeB = preset.b;
    crystal.GammaDeg = preset.gammaDeg;
    SetCrystal(crystal);
}

void CrystalDialog::RadiationChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(kRadiationPresets.size())) {
        return;
    }
    CrystalParams crystal = Crystal();
    crystal.Lambda = kRadiationPresets[static_cast<std::size_t>(index)].lambda;
    SetCrystal(crystal);
}

// The presets follow the values: one that matches is shown, otherwise "frei".
void CrystalDialog::ValuesEdited()
{
    const CrystalParams crystal = Crystal();
    QString lattice = AppText(kFree);
    for (const LatticePreset& preset : kLatticePresets) {
        if (crystal.LatticeA == preset.a && crystal.LatticeB == preset.b &&
            crystal.GammaDeg == preset.gammaDeg) {
            lattice = AppText(preset.name);
        }
    }
    Select(latticeChoice, lattice);
    QString radiation = AppText(kFree);
    for (const RadiationPreset& preset : kRadiationPresets) {
        if (crystal.Lambda == preset.lambda) {
            radiation = AppText(preset.name);
        }
    }
    Select(radiationChoice, radiation);
    ShowCheck(CheckCrystal(crystal));
}

bool CrystalDialog::ShowCheck(const CrystalCheck& check)
{
    for (QDoubleSpinBox* spin : {aSpin, bSpin, gammaSpin, lambdaSpin}) {
        Mark(spin, {});
    }
    for (const CrystalField field : check.outOfRange) {
        Mark(FieldOf(field), QString::fromStdString(RangeMessage(field)));
    }
    QPalette palette = checkMessage->palette();
    palette.setColor(QPalette::WindowText,
                     check.accepted ? this->palette().color(QPalette::WindowText) : kMessageColour);
    checkMessage->setPalette(palette);
    const QString text =
        check.accepted ? AppText("%1 Reflexe").arg(check.reflexCount) : QString::fromStdString(check.message);
    if (text != checkMessage->text()) {
        checkMessage->setText(text);
        QAccessibleEvent changed(checkMessage, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    return check.accepted;
}

void CrystalDialog::OkClicked()
{
    const CrystalParams crystal = Crystal();
    CrystalCheck check = CheckCrystal(crystal);
    if (check.accepted) {
        const std::optional<CrystalCheck> applied = apply_(crystal);
        if (!applied) {
            return;  // the user kept the crystal in use; the choice stays open
        }
        check = *applied;
    }
    if (ShowCheck(check)) {
        accept();
        return;
    }
    // Refused: the keyboard lands on the first bad field, and a screen reader
    // hears the reason.
    if (!check.outOfRange.empty()) {
        FieldOf(check.outOfRange.front())->setFocus();
    }
    QAccessibleEvent alert(checkMessage, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

}  // namespace kb
