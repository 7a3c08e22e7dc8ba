#include "file_names.h"

namespace kb {

QString SafeFileName(const QString& text)
{
    QString name = text;
    name.replace(QStringLiteral(": "), QStringLiteral(" - "));
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("<>:\"/\\|?*").contains(c)) {
            c = QLatin1Char(' ');
        }
    }
    name = name.simplified();
    while (!name.isEmpty() && (name.back() == QLatin1Char('.') || name.back() == QLatin1Char(' '))) {
        name.chop(1);
    }
    while (!name.isEmpty() && (name.front() == QLatin1Char('.') || name.front() == QLatin1Char(' '))) {
        name.remove(0, 1);
    }
    return name;
}

}  // namespace kb
