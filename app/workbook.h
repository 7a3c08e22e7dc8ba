#pragma once

#include <QByteArray>
#include <QString>
#include <variant>
#include <vector>

namespace kb {

// A sheet of numbers under a bold, frozen header row.
struct WorkbookTable {
    QString sheet;
    std::vector<QString> titles;
    std::vector<int> decimals;   // per column, 0 to 4
    std::vector<double> widths;  // per column, in characters
    std::vector<std::vector<double>> rows;
};

// One line of the second sheet: a bold name and its number or text.
struct WorkbookFact {
    QString name;
    std::variant<double, QString> value;
};

// The bytes of an Excel workbook with `table` and a sheet `factsSheet` of
// `facts`. On failure `bytes` stays empty and the one line to report, naming
// `fileName`, is returned.
QString WorkbookBytes(const QString& fileName, const WorkbookTable& table, const QString& factsSheet,
                      const std::vector<WorkbookFact>& facts, QByteArray& bytes);

}  // namespace kb
