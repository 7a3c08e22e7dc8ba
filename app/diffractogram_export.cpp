#include "diffractogram_export.h"

#include "paint/picture_export.h"
#include "render/measured_values.h"
#include "workbook.h"

namespace kb {

QString SaveDiffractogramFile(const QString& fileName, ValuesFormat format, const SimState& s,
                              const QString& decimalSeparator, const QString& lesson)
{
    if (format == ValuesFormat::Csv) {
        return SaveText(
            fileName, QByteArray::fromStdString(DiffractogramTable(s, decimalSeparator.toStdString())), true);
    }
    QByteArray bytes;
    if (const QString problem =
            WorkbookBytes(fileName, DiffractogramWorkbook(s, lesson.toStdString()), bytes);
        !problem.isEmpty()) {
        return problem;
    }
    return SaveBytes(fileName, bytes);
}

}  // namespace kb
