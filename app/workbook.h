#pragma once

#include <QByteArray>
#include <QString>

#include "render/measured_values.h"

namespace kb {

// The bytes of an Excel workbook holding `book`. On failure `bytes` stays
// empty and the one line to report, naming `fileName`, is returned.
QString WorkbookBytes(const QString& fileName, const WorkbookContent& book, QByteArray& bytes);

}  // namespace kb
