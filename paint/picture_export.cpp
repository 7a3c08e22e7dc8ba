#include "picture_export.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cerrno>
#include <functional>

#include <sys/stat.h>

#include "painter.h"
#include "stamps.h"

namespace kb {
namespace {

// The program's own texts in the user's language, from the same catalogue
// entries as the window's (context "app").
QString UiText(const char* german)
{
    return QCoreApplication::translate("", german, "app");
}

// Logical pixels are those of a 96 dpi screen; vector files keep that size.
constexpr int kLogicalDpi = 96;
constexpr double kPointsPerInch = 72.0;
constexpr double kMetresPerInch = 0.0254;
const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// Lets `write` fill a buffer, then replaces the file by it: what reaches the
// disk is checked in one place for every format, and an encoder never sees a
// failing device (libpng would print its own English lines about it).
QString Save(const QString& fileName, const std::function<bool(QIODevice&)>& write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!write(buffer)) {
        return CannotWrite(fileName, UiText("das Bild ließ sich nicht erzeugen"));
    }
    return SaveBytes(fileName, buffer.data());
}

// Raster formats that classrooms pass around, beyond PNG.
constexpr const char* kCommonImageSuffixes[] = {"jpg", "jpeg", "bmp", "webp", "tif", "tiff"};
constexpr int kJpegQuality = 92;  // thin lines and small text stay clean

bool WriteRaster(QIODevice& device, const char* format, const DrawList& list, QSize size, qreal ratio,
                 PaintCache& cache)
{
    QImage image = PaintImage(list, size, ratio, cache);
    if (image.isNull()) {
        return false;
    }
    // Viewers that honour the resolution show the picture at its logical size.
    const int dotsPerMetre = qRound(kLogicalDpi * ratio / kMetresPerInch);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QImageWriter writer(&device, format);
    // Only JPEG's quality is a quality; PNG reads the same option as its
    // compression and would be written nearly uncompressed.
    const QByteArray name(format);
    if (name == "jpg" || name == "jpeg") {
        writer.setQuality(kJpegQuality);
    }
    return writer.write(image);
}

bool WriteSvg(QIODevice& device, const DrawList& list, QSize size, const PictureInfo& info, PaintCache& cache)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&device);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(kLogicalDpi);
    generator.setTitle(info.title);
    generator.setDescription(info.description);
    QPainter painter;
    if (!painter.begin(&generator)) {
        return false;
    }
    PaintDrawList(painter, list, cache);
    return painter.end();
}

bool WritePdf(QIODevice& device, const DrawList& list, QSize size, const PictureInfo& info, PaintCache& cache)
{
    QPdfWriter writer(&device);
    writer.setTitle(info.title);
    writer.setCreator(info.description);
    writer.setResolution(kLogicalDpi);
    const QSizeF points = QSizeF(size) * (kPointsPerInch / kLogicalDpi);
    writer.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    PaintDrawList(painter, list, cache);
    return painter.end();
}

// A device or a pipe: no temporary file can take its place, so the bytes go
// to it directly and its own error (a full device) is the one reported.
QString WriteInPlace(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, file.errorString()));
    }
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, file.errorString()));
    }
    return {};
}

}  // namespace

QString FileErrorCause(int errorNumber, const QString& fallback)
{
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT:
            return UiText("kein Platz auf dem Datenträger");
        case EACCES:
        case EPERM:
            return UiText("keine Berechtigung");
        case EROFS:
            return UiText("der Datenträger ist schreibgeschützt");
        case ENOENT:
        case ENOTDIR:
            return UiText("der Ordner existiert nicht");
        case EISDIR:
            return UiText("das ist ein Ordner");
        case EFBIG:
            return UiText("die Datei wird zu groß");
        case ENAMETOOLONG:
            return UiText("der Name ist zu lang");
        case EIO:
            return UiText("Ein-/Ausgabefehler des Datenträgers");
        case ELOOP:
            return UiText("die Verknüpfung führt im Kreis");
        default:
            return fallback.isEmpty() ? UiText("Schreibfehler") : fallback;
    }
}

QString CannotWrite(const QString& fileName, const QString& cause)
{
    return UiText("Die Datei „%1“ kann nicht geschrieben werden: %2.").arg(fileName, cause);
}

QString SaveBytes(const QString& fileName, const QByteArray& bytes)
{
    // What the name stands for once every link is followed: a link stays and
    // its target is replaced; a device or a pipe is written to, as a shell's
    // redirection would, and never replaced by a file of the same name.
    struct stat target {};
    QString finalName = fileName;
    errno = 0;
    if (::stat(QFile::encodeName(fileName).constData(), &target) != 0) {
        // ENOENT: a new file, or a link to one, which QSaveFile creates.
        if (const int cause = errno; cause != ENOENT) {
            return CannotWrite(fileName, FileErrorCause(cause, {}));
        }
    } else if (S_ISDIR(target.st_mode)) {
        return CannotWrite(fileName, FileErrorCause(EISDIR, {}));
    } else if (!S_ISREG(target.st_mode)) {
        return WriteInPlace(fileName, bytes);
    } else {
        finalName = QFileInfo(fileName).canonicalFilePath();
    }
    // errno is read right after the call that failed, before anything else can change it.
    QSaveFile file(finalName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, file.errorString()));
    }
    errno = 0;
    bool written = file.write(bytes) == bytes.size();
    int cause = errno;
    if (written) {
        // QSaveFile's commit loses an error of its own final flush and would
        // put a cut-off file in place of the old one; flushing first catches it.
        errno = 0;
        written = file.flush() && file.error() == QFileDevice::NoError;
        cause = errno;
    }
    if (!written) {
        file.cancelWriting();
        return CannotWrite(fileName, FileErrorCause(cause, file.errorString()));
    }
    errno = 0;
    if (!file.commit()) {
        cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, file.errorString()));
    }
    return {};
}

std::optional<PictureFormat> PictureFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        return PictureFormat::Png;
    }
    if (suffix == QLatin1String("svg")) {
        return PictureFormat::Svg;
    }
    if (suffix == QLatin1String("pdf")) {
        return PictureFormat::Pdf;
    }
    if (ImageSuffixes().contains(suffix)) {
        return PictureFormat::Image;
    }
    return std::nullopt;
}

QStringList ImageSuffixes()
{
    const QList<QByteArray> written = QImageWriter::supportedImageFormats();
    QStringList suffixes;
    for (const char* suffix : kCommonImageSuffixes) {
        if (written.contains(QByteArray(suffix))) {
            suffixes << QString::fromLatin1(suffix);
        }
    }
    return suffixes;
}

QString UnknownPictureFormatMessage(const QString& fileName)
{
    QStringList suffixes = {QStringLiteral("png")};
    suffixes << ImageSuffixes() << QStringLiteral("svg") << QStringLiteral("pdf");
    for (QString& suffix : suffixes) {
        suffix.prepend(QLatin1Char('.'));
    }
    return UiText("„%1“ hat keine Endung eines Bildformats, das sich schreiben lässt. Möglich sind: %2.")
        .arg(QFileInfo(fileName).fileName(), suffixes.join(QStringLiteral(", ")));
}

QImage PaintImage(const DrawList& list, QSize size, qreal ratio, PaintCache& cache)
{
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintDrawList(painter, list, cache);
    return image;
}

void PaintFitted(QPainter& painter, const QRectF& target, const DrawList& list, QSize size, PaintCache& cache)
{
    if (size.isEmpty() || target.isEmpty()) {
        return;
    }
    const double scale = std::min(target.width() / size.width(), target.height() / size.height());
    const QSizeF fitted = QSizeF(size) * scale;
    painter.save();
    painter.translate(target.x() + (target.width() - fitted.width()) / 2.0,
                      target.y() + (target.height() - fitted.height()) / 2.0);
    painter.scale(scale, scale);
    painter.setClipRect(QRect(QPoint(0, 0), size));
    PaintDrawList(painter, list, cache);
    painter.restore();
}

QString SavePicture(const QString& fileName, PictureFormat format, const DrawList& list, QSize size,
                    qreal ratio, const PictureInfo& info, PaintCache& cache)
{
    return Save(fileName, [&](QIODevice& device) {
        switch (format) {
            case PictureFormat::Png:
                return WriteRaster(device, "png", list, size, ratio, cache);
            case PictureFormat::Image:
                return WriteRaster(device, QFileInfo(fileName).suffix().toLower().toLatin1().constData(),
                                   list, size, ratio, cache);
            case PictureFormat::Svg:
                return WriteSvg(device, list, size, info, cache);
            case PictureFormat::Pdf:
                return WritePdf(device, list, size, info, cache);
        }
        return false;
    });
}

QString SaveText(const QString& fileName, const QByteArray& text, bool byteOrderMark)
{
    return SaveBytes(fileName, byteOrderMark ? QByteArray(kUtf8ByteOrderMark) + text : text);
}

}  // namespace kb
