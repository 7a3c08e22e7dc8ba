#pragma once

#include <QLocale>
#include <QString>

#include "model/crystal.h"

namespace kb {

// A crystal value as the program shows it: up to three decimals, trailing
// zeros dropped, the locale's decimal separator and no group separator.
QString CrystalNumber(double value, const QLocale& locale);

}  // namespace kb
