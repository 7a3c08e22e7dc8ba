#pragma once

#include <QString>

#include "model/sim_state.h"
#include "values_export.h"

namespace kb {

// Writes the diffractogram bin by bin, 2Theta and intensity, as an instrument
// does: CSV with `decimalSeparator`, or an Excel workbook whose second sheet
// names the wavelength and `lesson`, never the crystal. The old file is
// replaced only by a complete new one. Returns an empty string or the one
// German line to report.
QString SaveDiffractogramFile(const QString& fileName, ValuesFormat format, const SimState& s,
                              const QString& decimalSeparator, const QString& lesson);

}  // namespace kb
