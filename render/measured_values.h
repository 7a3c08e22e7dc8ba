#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/sim_state.h"

namespace kb {

// A column of the values table: its header, with the unit, and the decimals
// its numbers are printed with.
struct MeasuredColumn {
    const char* title;
    int decimals;
};

inline constexpr std::array<MeasuredColumn, 8> kMeasuredColumns{{
    {"h", 0},
    {"k", 0},
    {"n", 0},
    {"Theta (°)", 3},
    {"2Theta (°)", 3},
    {"d (pm)", 1},     // spacing of the lattice planes (h/n k/n 0): n lambda = 2 d sin(Theta)
    {"d/n (pm)", 1},   // lambda / (2 sin(Theta)), the fictive spacing of (h k 0)
    {"Omega (°)", 3},  // crystal angle of the Bragg position, in (0, 360]
}};

// One row: the numbers of the columns above, each already rounded to its
// printed decimals, so that a spreadsheet holds exactly what the file shows.
using MeasuredRow = std::array<double, kMeasuredColumns.size()>;

// The reflections recorded in the diffractogram so far, computed in double
// precision from the crystal as typed and its wavelength, ordered by the
// printed 2Theta, then by h, then by k.
std::vector<MeasuredRow> MeasuredValues(const SimState& s);

// The table as CSV text under the header row, one line per row, each ending
// "\n". Numbers use `decimalSeparator`; the fields are separated by ";"
// where that is a comma and by "," otherwise, as a spreadsheet in either
// setting reads them. A field holding a comma is quoted, so that an import
// that also splits at commas keeps "12,213" one number.
std::string MeasuredValuesTable(const SimState& s, std::string_view decimalSeparator);

// The diffractogram as an instrument writes it: one row per bin, 2Theta in
// degrees (one decimal) and the intensity (four decimals), each already
// rounded to what the file shows. Names no reflection, so it gives nothing of
// an unknown crystal away but the measurement.
inline constexpr std::array<MeasuredColumn, 2> kDiffractogramColumns{{
    {"2Theta (°)", 1},
    {"Intensität", 4},
}};
std::vector<std::array<double, 2>> DiffractogramRows(const SimState& s);
// The rows as CSV under the header, with the separators and quoting of
// MeasuredValuesTable.
std::string DiffractogramTable(const SimState& s, std::string_view decimalSeparator);

// A line of a workbook's second sheet: a name and its number or its text.
struct WorkbookFact {
    std::string name;
    std::optional<double> number;
    std::string text;
};

// A workbook as both front ends write it, each with its own library: a sheet
// of numbers under a frozen header row, and a sheet of facts. Sheet names and
// headers are in the language in use.
struct WorkbookContent {
    std::string tableSheet;
    std::vector<std::string> titles;
    std::vector<int> decimals;   // per column, 0 to 4
    std::vector<double> widths;  // per column, in characters
    std::vector<std::vector<double>> rows;
    std::string factsSheet;
    std::vector<WorkbookFact> facts;
};

// The recorded reflections, with the crystal, the wavelength and `lesson`.
WorkbookContent MeasuredValuesWorkbook(const SimState& s, std::string_view lesson);
// The diffractogram, with the wavelength and `lesson`, never the crystal.
WorkbookContent DiffractogramWorkbook(const SimState& s, std::string_view lesson);

}  // namespace kb
