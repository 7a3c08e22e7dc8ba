#pragma once

#include <QLocale>
#include <QString>

#include "model/crystal.h"

namespace kb {

// A crystal value as the program shows it: up to three decimals, trailing
// zeros dropped, the locale's decimal separator and no group separator.
QString CrystalNumber(double value, const QLocale& locale);

// What the window caption adds while a crystal other than the standard is in
// use, " (a = 300 pm, b = 300 pm, γ = 90°, λ = 70,93 pm)"; empty for the standard.
QString CrystalCaptionSuffix(const CrystalParams& crystal, const QLocale& locale);

}  // namespace kb
