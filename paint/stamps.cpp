#include "stamps.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "painter.h"

namespace kb {
namespace {

// Room around a stamp for the pen and the antialiased fringe, logical px.
constexpr int kStampMarginPx = 3;
// Enough for every ellipse of a few window sizes at once: a stamp of the
// largest size at pixel ratio 2 takes about 170 KiB.
constexpr qsizetype kEllipseCacheKiB = 16 * 1024;
constexpr qsizetype kTextCacheKiB = 16 * 1024;

QImage TransparentImage(QSize logical, qreal ratio)
{
    QImage image((QSizeF(logical) * ratio).toSize().expandedTo(QSize(1, 1)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

qsizetype CostKiB(const QImage& image)
{
    return std::max<qsizetype>(1, image.sizeInBytes() / 1024);
}

}  // namespace

PaintCache::PaintCache() : ellipses_(kEllipseCacheKiB), texts_(kTextCacheKiB) {}

// The box has integer corners, so moving it by whole logical pixels moves
// the drawn pixels unchanged, and one stamp serves every ellipse of the same
// size and settings.
const Stamp& PaintCache::Ellipse(const DrawOp& op, qreal ratio)
{
    const EllipseKey key{std::abs(op.c[2] - op.c[0]), std::abs(op.c[3] - op.c[1]), op.pen, op.brush, ratio};
    if (const Stamp* found = ellipses_.object(key)) {
        return *found;
    }
    const int margin = kStampMarginPx + std::max(1, op.pen.width);
    auto* stamp = new Stamp;
    stamp->image = TransparentImage(QSize(key.width + 2 * margin, key.height + 2 * margin), ratio);
    stamp->offset = QPointF(-margin, -margin);
    {
        QPainter p(&stamp->image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(MakePen(op.pen));
        p.setBrush(MakeBrush(op.brush));
        const int x1 = std::min(op.c[0], op.c[2]);
        const int y1 = std::min(op.c[1], op.c[3]);
        p.drawEllipse(StrokeBox(op).translated(margin - x1, margin - y1));
    }
    ellipses_.insert(key, stamp, CostKiB(stamp->image));
    return *ellipses_.object(key);
}

QString PaintCache::FontKey(const Font& font, qreal ratio)
{
    return QString::fromStdString(font.face) + QLatin1Char('\x1f') + QString::number(font.height) +
           QLatin1Char('\x1f') + QString::number(font.pointSize) + QLatin1Char('\x1f') +
           QString::number(font.colour) + QLatin1Char('\x1f') + QString::number(ratio) + QLatin1Char('\x1f');
}

// The glyphs sit on the same whole-pixel baseline as when drawn in place.
const Stamp& PaintCache::Text(const Font& font, const QString& fontKey, const std::string& text, qreal ratio)
{
    const QString string = QString::fromStdString(text);
    const QString key = fontKey + string;
    if (const Stamp* found = texts_.object(key)) {
        return *found;
    }
    const QFont& qfont = fonts_.Get(font);
    const QFontMetrics metrics(qfont);
    const QRect cell(0, -metrics.ascent(), std::max(1, metrics.horizontalAdvance(string)), metrics.height());
    const QRect area = cell.united(metrics.boundingRect(string))
                           .adjusted(-kStampMarginPx, -kStampMarginPx, kStampMarginPx, kStampMarginPx);
    auto* stamp = new Stamp;
    stamp->image = TransparentImage(area.size(), ratio);
    stamp->offset = QPointF(area.left(), area.top() + metrics.ascent());
    {
        QPainter p(&stamp->image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(qfont);
        p.setPen(ToQColor(font.colour));
        p.drawText(QPoint(-area.left(), -area.top()), string);
    }
    texts_.insert(key, stamp, CostKiB(stamp->image));
    return *texts_.object(key);
}

}  // namespace kb
