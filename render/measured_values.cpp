#include "measured_values.h"

#include <algorithm>
#include <locale>
#include <sstream>

#include "model/catalogue.h"
#include "model/diffractogram.h"
#include "model/reflex_table.h"
#include "model/types.h"

namespace kb {
namespace {

enum Column { kH, kK, kN, kTheta, kTwoTheta, kPlaneSpacing, kFictiveSpacing, kOmega };

// The digits as printed, correctly rounded from the binary value, whatever
// the C library's locale says about the decimal point.
std::string Fixed(double value, int decimals)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.setf(std::ios::fixed, std::ios::floatfield);
    text.precision(decimals);
    text << value;
    return text.str();
}

// A number as the table prints it, with `decimalSeparator`.
std::string FormatMeasured(double value, int decimals, std::string_view decimalSeparator)
{
    std::string formatted = Fixed(value, decimals);
    if (const std::size_t point = formatted.find('.'); point != std::string::npos) {
        formatted.replace(point, 1, decimalSeparator);
    }
    return formatted;
}

std::string CsvField(std::string text)
{
    if (text.find_first_of(",;\"") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

}  // namespace

std::vector<MeasuredRow> MeasuredValues(const SimState& s)
{
    std::vector<MeasuredRow> rows;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        if (!r.PeakRecorded) {
            continue;
        }
        const ExactReflex exact = ComputeExactReflex(s.Crystal, r.H, r.K);
        MeasuredRow row{};
        row[kH] = r.H;
        row[kK] = r.K;
        row[kN] = r.Order;
        row[kTheta] = exact.ThetaDeg;
        row[kTwoTheta] = 2.0 * exact.ThetaDeg;
        row[kPlaneSpacing] = exact.PlaneSpacingPm;
        row[kFictiveSpacing] = exact.FictiveSpacingPm;
        row[kOmega] = exact.OmegaBraggDeg;
        for (std::size_t c = 0; c < row.size(); ++c) {
            row[c] = RoundDecimalHalfAway(row[c], kMeasuredColumns[c].decimals);
        }
        // A Bragg position a hair past the full turn is the full turn itself.
        if (row[kOmega] == 0.0) {
            row[kOmega] = 360.0;
        }
        rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [](const MeasuredRow& a, const MeasuredRow& b) {
        if (a[kTwoTheta] != b[kTwoTheta]) {
            return a[kTwoTheta] < b[kTwoTheta];
        }
        return a[kH] != b[kH] ? a[kH] < b[kH] : a[kK] < b[kK];
    });
    return rows;
}

std::string MeasuredValuesTable(const SimState& s, std::string_view decimalSeparator)
{
    const std::string separator = decimalSeparator == "," ? ";" : ",";
    std::string table;
    for (const MeasuredColumn& column : kMeasuredColumns) {
        if (!table.empty()) {
            table += separator;
        }
        table += CsvField(Tr("core", column.title));
    }
    table += '\n';
    for (const MeasuredRow& row : MeasuredValues(s)) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) {
                table += separator;
            }
            table += CsvField(FormatMeasured(row[c], kMeasuredColumns[c].decimals, decimalSeparator));
        }
        table += '\n';
    }
    return table;
}

std::vector<std::array<double, 2>> DiffractogramRows(const SimState& s)
{
    std::vector<std::array<double, 2>> rows;
    rows.reserve(s.Diffractogram.size());
    for (std::size_t i = 0; i < s.Diffractogram.size(); ++i) {
        // The bin's angle as the grid defines it, 0.3 degrees apart, not as a
        // sum of single-precision steps.
        rows.push_back(
            {RoundDecimalHalfAway(static_cast<double>(i) * kBinWidthDeg, kDiffractogramColumns[0].decimals),
             RoundDecimalHalfAway(s.Diffractogram[i], kDiffractogramColumns[1].decimals)});
    }
    return rows;
}

std::string DiffractogramTable(const SimState& s, std::string_view decimalSeparator)
{
    const std::string separator = decimalSeparator == "," ? ";" : ",";
    std::string table = CsvField(Tr("core", kDiffractogramColumns[0].title)) + separator +
                        CsvField(Tr("core", kDiffractogramColumns[1].title)) + '\n';
    for (const auto& row : DiffractogramRows(s)) {
        table += CsvField(FormatMeasured(row[0], kDiffractogramColumns[0].decimals, decimalSeparator)) +
                 separator +
                 CsvField(FormatMeasured(row[1], kDiffractogramColumns[1].decimals, decimalSeparator)) + '\n';
    }
    return table;
}

WorkbookContent MeasuredValuesWorkbook(const SimState& s, std::string_view lesson)
{
    WorkbookContent book;
    book.tableSheet = Tr("core", "Messwerte");
    for (std::size_t c = 0; c < kMeasuredColumns.size(); ++c) {
        book.titles.push_back(Tr("core", kMeasuredColumns[c].title));
        book.decimals.push_back(kMeasuredColumns[c].decimals);
        book.widths.push_back(c <= kN ? 5 : 11);  // the indices narrow
    }
    for (const MeasuredRow& row : MeasuredValues(s)) {
        book.rows.emplace_back(row.begin(), row.end());
    }
    book.factsSheet = Tr("core", "Kristall");
    book.facts = {{"a (pm)", AsTyped(s.Crystal.LatticeA), {}},
                  {"b (pm)", AsTyped(s.Crystal.LatticeB), {}},
                  {"γ (°)", AsTyped(s.Crystal.GammaDeg), {}},
                  {"λ (pm)", AsTyped(s.Crystal.Lambda), {}},
                  {Tr("core", "Lektion"), std::nullopt, std::string(lesson)}};
    return book;
}

WorkbookContent DiffractogramWorkbook(const SimState& s, std::string_view lesson)
{
    WorkbookContent book;
    book.tableSheet = Tr("core", "Diffraktogramm");
    for (const MeasuredColumn& column : kDiffractogramColumns) {
        book.titles.push_back(Tr("core", column.title));
        book.decimals.push_back(column.decimals);
        book.widths.push_back(12);
    }
    for (const auto& row : DiffractogramRows(s)) {
        book.rows.emplace_back(row.begin(), row.end());
    }
    book.factsSheet = Tr("core", "Messung");
    book.facts = {{"λ (pm)", AsTyped(s.Crystal.Lambda), {}},
                  {Tr("core", "Lektion"), std::nullopt, std::string(lesson)}};
    return book;
}

}  // namespace kb
