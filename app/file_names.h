#pragma once

#include <QString>

namespace kb {

// `text` as a file name that FAT, NTFS and the usual Unix file systems all
// accept, for names the program suggests: ": " becomes " - ", the other
// characters they refuse (<>:"/\|?* and control characters) a space; no
// space or dot at either end. Empty if nothing usable is left.
QString SafeFileName(const QString& text);

}  // namespace kb
