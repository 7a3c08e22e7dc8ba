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
constexpr qsizetype kRunCacheKiB = 8 * 1024;
// Runs of fewer segments are drawn.
constexpr std::size_t kMinStampedRun = 64;
// An antialiased line pixel costs the raster engine some 15 to 25 ns, a
// pixel of an image some 0.3 ns to blend (both measured here); stamping pays
// while the box has fewer pixels than this many per pixel of line, with a
// margin. The busy curve at 792 x 568 has 40, at 1920 x 1080 about 100.
constexpr double kStampedBoxPerLinePixel = 64.0;

QRectF BoundsOf(const std::vector<QLineF>& lines)
{
    QRectF bounds;
    for (const QLineF& line : lines) {
        bounds |= QRectF(line.p1(), line.p2()).normalized();
    }
    return bounds;
}

QImage TransparentImage(QSize logical, qreal ratio)
{
    QImage image((QSizeF(logical) * ratio).toSize().expandedTo(QSize(1, 1)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

// What a stamp of `logical` size costs a cache, known before it is drawn.
qsizetype CostKiB(QSize logical, qreal ratio)
{
    const QSize device = (QSizeF(logical) * ratio).toSize().expandedTo(QSize(1, 1));
    return std::max<qsizetype>(1, qsizetype(device.width()) * device.height() * 4 / 1024);
}

// A cache drops at once what costs more than it holds: such a stamp is not
// made, and the shape is drawn instead.
template <typename Key>
const Stamp* Keep(QCache<Key, Stamp>& cache, const Key& key, Stamp* stamp, qsizetype cost)
{
    return cache.insert(key, stamp, cost) ? cache.object(key) : nullptr;
}

}  // namespace

PaintCache::PaintCache() : ellipses_(kEllipseCacheKiB), texts_(kTextCacheKiB), runs_(kRunCacheKiB) {}

// The box has integer corners, so moving it by whole logical pixels moves
// the drawn pixels unchanged, and one stamp serves every ellipse of the same
// size and settings.
const Stamp* PaintCache::Ellipse(const DrawOp& op, qreal ratio)
{
    const EllipseKey key{std::abs(op.c[2] - op.c[0]), std::abs(op.c[3] - op.c[1]), op.pen, op.brush, ratio};
    if (const Stamp* found = ellipses_.object(key)) {
        return found;
    }
    const int margin = kStampMarginPx + std::max(1, op.pen.width);
    const QSize size(key.width + 2 * margin, key.height + 2 * margin);
    const qsizetype cost = CostKiB(size, ratio);
    if (cost > ellipses_.maxCost()) {
        return nullptr;
    }
    auto* stamp = new Stamp;
    stamp->image = TransparentImage(size, ratio);
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
    return Keep(ellipses_, key, stamp, cost);
}

QString PaintCache::FontKey(const Font& font, qreal ratio)
{
    return QString::fromStdString(font.face) + QLatin1Char('\x1f') + QString::number(font.height) +
           QLatin1Char('\x1f') + QString::number(font.pointSize) + QLatin1Char('\x1f') +
           QString::number(font.colour) + QLatin1Char('\x1f') + QString::number(ratio) + QLatin1Char('\x1f');
}

// The glyphs sit on the same whole-pixel baseline as when drawn in place.
const Stamp* PaintCache::Text(const Font& font, const QString& fontKey, const std::string& text, qreal ratio)
{
    const QString string = QString::fromStdString(text);
    const QString key = fontKey + string;
    if (const Stamp* found = texts_.object(key)) {
        return found;
    }
    const QFont& qfont = fonts_.Get(font);
    const QFontMetrics metrics(qfont);
    const QRect cell(0, -metrics.ascent(), std::max(1, metrics.horizontalAdvance(string)), metrics.height());
    const QRect area = cell.united(metrics.boundingRect(string))
                           .adjusted(-kStampMarginPx, -kStampMarginPx, kStampMarginPx, kStampMarginPx);
    const qsizetype cost = CostKiB(area.size(), ratio);
    if (cost > texts_.maxCost()) {
        return nullptr;
    }
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
    return Keep(texts_, key, stamp, cost);
}

bool PaintCache::StampsRun(const std::vector<QLineF>& lines)
{
    if (lines.size() < kMinStampedRun) {
        return false;
    }
    double length = 0.0;
    for (const QLineF& line : lines) {
        length += line.length();
    }
    const QRectF bounds = BoundsOf(lines);
    return (bounds.width() + 1.0) * (bounds.height() + 1.0) <= kStampedBoxPerLinePixel * length;
}

const Stamp* PaintCache::Run(const DrawList& list, std::size_t first, std::size_t last,
                             const std::vector<QLineF>& lines, qreal ratio)
{
    RunKey key;
    key.pen = list.ops[first].pen;
    key.ratio = ratio;
    key.coordinates.reserve(4 * (last - first + 1));
    for (std::size_t i = first; i <= last; ++i) {
        key.coordinates.insert(key.coordinates.end(), list.ops[i].c, list.ops[i].c + 4);
    }
    if (const Stamp* found = runs_.object(key)) {
        return found;
    }
    const QRectF bounds = BoundsOf(lines);
    const int margin = kStampMarginPx + std::max(1, key.pen.width);
    const QRect area = bounds.toAlignedRect().adjusted(-margin, -margin, margin, margin);
    const qsizetype cost = CostKiB(area.size(), ratio);
    if (cost > runs_.maxCost()) {
        return nullptr;
    }
    auto* stamp = new Stamp;
    stamp->image = TransparentImage(area.size(), ratio);
    stamp->offset = area.topLeft();
    {
        QPainter p(&stamp->image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(-area.topLeft());
        p.setPen(MakePen(key.pen));
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    return Keep(runs_, key, stamp, cost);
}

}  // namespace kb
