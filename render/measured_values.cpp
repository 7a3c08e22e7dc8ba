#include "measured_values.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "pass_geometry.h"
#include "readouts.h"

namespace kb {
namespace {

constexpr int kAngleDecimals = 3;
constexpr int kSpacingDecimals = 1;

struct Row {
    const Reflex* reflex;
    double twoThetaDeg;  // as the diffractogram places the peak
};

}  // namespace

std::string MeasuredValuesTable(const SimState& s, std::string_view decimalSeparator)
{
    std::vector<Row> rows;
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        if (r.PeakRecorded) {
            rows.push_back({&r, Single(static_cast<double>(Single(2.0 * r.Theta)) * kRadToDegExact)});
        }
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.twoThetaDeg != b.twoThetaDeg) {
            return a.twoThetaDeg < b.twoThetaDeg;
        }
        return a.reflex->H != b.reflex->H ? a.reflex->H < b.reflex->H : a.reflex->K < b.reflex->K;
    });

    const char separator = decimalSeparator == "," ? ';' : ',';
    std::string table;
    for (const char* field : {"h", "k", "n", "Theta (°)", "2Theta (°)", "d (pm)", "Omega (°)"}) {
        if (!table.empty()) {
            table += separator;
        }
        table += field;
    }
    table += '\n';
    for (const Row& row : rows) {
        const Reflex& r = *row.reflex;
        const float sinTheta = Single(std::sin(static_cast<double>(r.Theta)));
        const float spacing = Single(static_cast<double>(s.Lambda) / (2.0 * sinTheta));
        const std::string fields[] = {
            std::to_string(r.H),
            std::to_string(r.K),
            std::to_string(r.Order),
            FormatFixed(static_cast<double>(r.Theta) * kRadToDegExact, kAngleDecimals, decimalSeparator),
            FormatFixed(row.twoThetaDeg, kAngleDecimals, decimalSeparator),
            FormatFixed(spacing, kSpacingDecimals, decimalSeparator),
            FormatFixed(static_cast<double>(r.OmegaBragg) * kRadToDegExact, kAngleDecimals, decimalSeparator),
        };
        for (std::size_t f = 0; f < std::size(fields); ++f) {
            if (f > 0) {
                table += separator;
            }
            table += fields[f];
        }
        table += '\n';
    }
    return table;
}

}  // namespace kb
