#pragma once

#include <string>
#include <string_view>

#include "model/sim_state.h"

namespace kb {

// The reflections recorded in the diffractogram so far as a table for a
// spreadsheet, one row each, ordered by 2Theta and then by h and k, under
// the header h, k, n, "Theta (°)", "2Theta (°)", "d (pm)", "Omega (°)":
// angles with three decimals, d = Lambda / (2 sin Theta) with one, Omega the
// crystal angle of the Bragg position. Numbers use `decimalSeparator`; the
// fields are separated by ";" where that is a comma and by "," otherwise, as
// a spreadsheet in either setting reads them. One line per row, ending "\n".
std::string MeasuredValuesTable(const SimState& s, std::string_view decimalSeparator);

}  // namespace kb
