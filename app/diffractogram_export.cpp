#include "diffractogram_export.h"

#include "app_language.h"
#include "model/catalogue.h"
#include "paint/picture_export.h"
#include "render/measured_values.h"
#include "workbook.h"

namespace kb {
namespace {

QString XlsxBytes(const QString& fileName, const SimState& s, const QString& lesson, QByteArray& bytes)
{
    WorkbookTable curve{AppText("Diffraktogramm"), {}, {}, {}, {}};
    for (const MeasuredColumn& column : kDiffractogramColumns) {
        curve.titles.push_back(QString::fromStdString(Tr("core", column.title)));
        curve.decimals.push_back(column.decimals);
        curve.widths.push_back(12);
    }
    for (const auto& values : DiffractogramRows(s)) {
        curve.rows.emplace_back(values.begin(), values.end());
    }
    const std::vector<WorkbookFact> measurement{{QStringLiteral("λ (pm)"), AsTyped(s.Crystal.Lambda)},
                                                {AppText("Lektion"), lesson}};
    return WorkbookBytes(fileName, curve, AppText("Messung"), measurement, bytes);
}

}  // namespace

QString SaveDiffractogramFile(const QString& fileName, ValuesFormat format, const SimState& s,
                              const QString& decimalSeparator, const QString& lesson)
{
    if (format == ValuesFormat::Csv) {
        return SaveText(
            fileName, QByteArray::fromStdString(DiffractogramTable(s, decimalSeparator.toStdString())), true);
    }
    QByteArray bytes;
    if (const QString problem = XlsxBytes(fileName, s, lesson, bytes); !problem.isEmpty()) {
        return problem;
    }
    return SaveBytes(fileName, bytes);
}

}  // namespace kb
