#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

#include "render/draw_list.h"

class QPainter;
class QRectF;

namespace kb {

class PaintCache;

// `Image`: another raster format that QImageWriter writes here, chosen by the
// file's extension (JPEG, BMP, WebP where its plugin is present).
enum class PictureFormat { Png, Svg, Pdf, Image };

// The format a file name asks for by its extension (any case), if any.
std::optional<PictureFormat> PictureFormatOf(const QString& fileName);

// The extensions of `Image`, in lower case, as far as this system writes them.
QStringList ImageSuffixes();

// The refusal of a file name whose extension names no format that can be
// written, listing those that can.
QString UnknownPictureFormatMessage(const QString& fileName);

// A pass as the window shows it: an image of `size` logical pixels at
// `ratio` device pixels per logical pixel.
QImage PaintImage(const DrawList& list, QSize size, qreal ratio, PaintCache& cache);

// A pass scaled to fit `target` of the painter's device, keeping its
// proportions and centred in it: for pages.
void PaintFitted(QPainter& painter, const QRectF& target, const DrawList& list, QSize size,
                 PaintCache& cache);

// What a picture file says about itself.
struct PictureInfo {
    QString title;        // e.g. the window caption
    QString description;  // one sentence on where it comes from
};

// Writes a pass of `size` logical pixels to `fileName` in `format`: PNG and
// the other raster formats at `ratio`, SVG and PDF as vector shapes and texts. The file is replaced only
// by a complete new one. Returns an empty string on success, otherwise a
// German message that names the file.
QString SavePicture(const QString& fileName, PictureFormat format, const DrawList& list, QSize size,
                    qreal ratio, const PictureInfo& info, PaintCache& cache);

// The cause of a failed file operation from the system's error number, in
// German ("kein Platz auf dem Datenträger"); `fallback` for a number without one.
QString FileErrorCause(int errorNumber, const QString& fallback);

// The one line that reports a file that could not be written, naming it and the cause.
QString CannotWrite(const QString& fileName, const QString& cause);

// Replaces `fileName` by `bytes`: through a temporary file in its folder that
// takes the old file's place only when every byte is written and flushed, so
// that a full disk or a lost permission leaves the old file as it was and no
// temporary file behind. A link stays and the file it leads to is replaced;
// a device or a pipe is written to in place, never replaced; a loop of links
// is refused. Returns an empty string or the line of CannotWrite.
QString SaveBytes(const QString& fileName, const QByteArray& bytes);

// Writes `text` to `fileName` as UTF-8, replacing the file only by a complete
// new one. With `byteOrderMark`, the text starts with the UTF-8 mark that
// spreadsheets look for. Returns an empty string or a German message.
QString SaveText(const QString& fileName, const QByteArray& text, bool byteOrderMark);

}  // namespace kb
