#pragma once

#include <QString>
#include <optional>

#include "model/sim_state.h"

namespace kb {

enum class ValuesFormat { Csv, Xlsx };

// The format a file name asks for by its extension (any case), if any.
std::optional<ValuesFormat> ValuesFormatOf(const QString& fileName);

// Writes the table of the recorded reflections to `fileName`: CSV with
// `decimalSeparator`, or an Excel workbook whose second sheet names the
// crystal, the wavelength and `lesson`. The old file is replaced only by a
// complete new one. Returns an empty string or the one German line to report.
QString SaveValuesFile(const QString& fileName, ValuesFormat format, const SimState& s,
                       const QString& decimalSeparator, const QString& lesson);

}  // namespace kb
