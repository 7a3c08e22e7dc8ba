#include "values_export.h"

#include <QFileInfo>

#include "app_language.h"
#include "model/catalogue.h"
#include "paint/picture_export.h"
#include "render/measured_values.h"
#include "workbook.h"

namespace kb {
namespace {

QString XlsxBytes(const QString& fileName, const SimState& s, const QString& lesson, QByteArray& bytes)
{
    WorkbookTable table{AppText("Messwerte"), {}, {}, {}, {}};
    for (std::size_t c = 0; c < kMeasuredColumns.size(); ++c) {
        table.titles.push_back(QString::fromStdString(Tr("core", kMeasuredColumns[c].title)));
        table.decimals.push_back(kMeasuredColumns[c].decimals);
        table.widths.push_back(c < 3 ? 5 : 11);
    }
    for (const MeasuredRow& values : MeasuredValues(s)) {
        table.rows.emplace_back(values.begin(), values.end());
    }
    const std::vector<WorkbookFact> crystal{{QStringLiteral("a (pm)"), AsTyped(s.Crystal.LatticeA)},
                                            {QStringLiteral("b (pm)"), AsTyped(s.Crystal.LatticeB)},
                                            {QStringLiteral("γ (°)"), AsTyped(s.Crystal.GammaDeg)},
                                            {QStringLiteral("λ (pm)"), AsTyped(s.Crystal.Lambda)},
                                            {AppText("Lektion"), lesson}};
    return WorkbookBytes(fileName, table, AppText("Kristall"), crystal, bytes);
}

}  // namespace

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
    if (const QString problem = XlsxBytes(fileName, s, lesson, bytes); !problem.isEmpty()) {
        return problem;
    }
    return SaveBytes(fileName, bytes);
}

}  // namespace kb
