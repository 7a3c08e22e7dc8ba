#include "values_export.h"

#include <QFileInfo>

#include "paint/picture_export.h"
#include "render/measured_values.h"
#include "workbook.h"

namespace kb {

std::optional<ValuesFormat> ValuesFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        return ValuesFormat::Csv;
    }
    if (suffix == QLatin1String("xlsx")) {
        return ValuesFormat::Xlsx;
    }
    return std::nullopt;
}

QString SaveValuesFile(const QString& fileName, ValuesFormat format, const SimState& s,
                       const QString& decimalSeparator, const QString& lesson)
{
    if (format == ValuesFormat::Csv) {
        const std::string table = MeasuredValuesTable(s, decimalSeparator.toStdString());
        return SaveText(fileName, QByteArray::fromStdString(table), true);
    }
    QByteArray bytes;
    if (const QString problem =
            WorkbookBytes(fileName, MeasuredValuesWorkbook(s, lesson.toStdString()), bytes);
        !problem.isEmpty()) {
        return problem;
    }
    return SaveBytes(fileName, bytes);
}

}  // namespace kb
