#include "crystal_text.h"

namespace kb {

QString CrystalNumber(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    QString text = plain.toString(value, 'f', 3);
    const QString point = plain.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(point)) {
            text.chop(point.size());
        }
    }
    return text;
}

QString CrystalCaptionSuffix(const CrystalParams& crystal, const QLocale& locale)
{
    if (crystal == kStandardCrystal) {
        return {};
    }
    return QStringLiteral(" (a = %1 pm, b = %2 pm, γ = %3°, λ = %4 pm)")
        .arg(CrystalNumber(crystal.LatticeA, locale), CrystalNumber(crystal.LatticeB, locale),
             CrystalNumber(crystal.GammaDeg, locale), CrystalNumber(crystal.Lambda, locale));
}

}  // namespace kb
