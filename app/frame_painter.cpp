#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "band_pool.h"
#include "paint_support.h"
#include "painter.h"
#include "render/raster.h"

namespace kb {
namespace {

// Bands of about this many bytes stay in the core's cache while every op
// that crosses them is drawn.
constexpr std::ptrdiff_t kBandBytes = 512 * 1024;
constexpr int kMinBandRows = 16;
// Rows beyond a shape's nominal extent that its pen or fringe may reach.
constexpr double kRowSlackPx = 3.0;

enum class ItemKind { FillRect, Segment, FillEllipse, StrokeEllipse, Arc, Stamp, Painter };

// One drawing step of a pass, in the rasteriser's terms, with the rows it
// touches. Worked out once per pass and then drawn band by band.
struct Item {
    ItemKind kind = ItemKind::FillRect;
    double c[4] = {};  // segment ends, ellipse centre and radii, or rectangle
    StrokeStyle style;
    SegmentEnds ends;
    double startDeg = 0.0;
    double spanDeg = 0.0;
    Colour colour = kBlack;
    const Stamp* stamp = nullptr;  // kept by the cache until the next pass
    int x = 0;                     // stamp corner
    int y = 0;
    std::size_t op = 0;  // for the painter
    int top = 0;         // rows touched, inclusive
    int bottom = -1;
};

bool CanRasterise(const QImage& frame)
{
    return !frame.isNull() && frame.devicePixelRatio() == 1.0 &&
           (frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32_Premultiplied);
}

StrokeStyle StrokeStyleOf(const Pen& pen)
{
    StrokeStyle style;
    const int width = std::max(1, pen.width);
    style.width = width;
    if (pen.style == PenStyle::Dash) {
        style.dashOn = kDashOn * width;
        style.dashOff = kDashOff * width;
    } else if (pen.style == PenStyle::Dot) {
        style.dashOn = kDotOn * width;
        style.dashOff = kDotOff * width;
    } else if (width > 1) {
        style.capExtension = width / 2.0;
    }
    return style;
}

int FloorRow(double y)
{
    return static_cast<int>(std::clamp(std::floor(y), -1e9, 1e9));
}

void SetRows(Item& item, double top, double bottom)
{
    item.top = FloorRow(top - kRowSlackPx);
    item.bottom = FloorRow(bottom + kRowSlackPx);
}

Item SegmentItem(double ax, double ay, double bx, double by, const Pen& pen, SegmentEnds ends)
{
    Item item;
    item.kind = ItemKind::Segment;
    item.c[0] = ax;
    item.c[1] = ay;
    item.c[2] = bx;
    item.c[3] = by;
    item.style = StrokeStyleOf(pen);
    item.ends = ends;
    item.colour = pen.colour;
    const double reach = item.style.width / 2.0 + item.style.capExtension;
    SetRows(item, std::min(ay, by) - reach, std::max(ay, by) + reach);
    return item;
}

Item EllipseItem(ItemKind kind, const QRectF& box, const Pen& pen, Colour colour)
{
    Item item;
    item.kind = kind;
    item.c[0] = box.center().x();
    item.c[1] = box.center().y();
    item.c[2] = box.width() / 2.0;
    item.c[3] = box.height() / 2.0;
    item.style.width = std::max(1, pen.width);
    item.colour = colour;
    SetRows(item, item.c[1] - item.c[3] - item.style.width, item.c[1] + item.c[3] + item.style.width);
    return item;
}

Item StampItem(QPoint anchor, const Stamp& stamp)
{
    Item item;
    item.kind = ItemKind::Stamp;
    item.stamp = &stamp;
    item.x = anchor.x() + stamp.offset.x();
    item.y = anchor.y() + stamp.offset.y();
    item.top = item.y;
    item.bottom = item.y + stamp.image.height() - 1;
    return item;
}

Item PainterItem(std::size_t op, double top, double bottom)
{
    Item item;
    item.kind = ItemKind::Painter;
    item.op = op;
    SetRows(item, top, bottom);
    return item;
}

// Turns the pass into items, in drawing order. Stamps are looked up here, on
// the calling thread, since their cache is not shared between threads.
void Prepare(const DrawList& list, FontCache& fonts, std::vector<Item>& items)
{
    items.clear();
    // Kept from pass to pass, like `items`: a pass should not allocate.
    thread_local std::vector<ScreenPoint> vertices;
    thread_local std::vector<TextStampTable*> tables;
    tables.assign(list.fonts.size(), nullptr);
    const std::size_t count = list.ops.size();
    for (std::size_t i = 0; i < count; ++i) {
        const DrawOp& op = list.ops[i];
        switch (op.kind) {
            case DrawOpKind::Line: {
                if (op.pen.style == PenStyle::Clear) {
                    break;
                }
                const double off = StrokeOffset(op.pen);
                if (op.pen.style != PenStyle::Solid || IsWideSolid(op.pen)) {
                    items.push_back(
                        SegmentItem(op.c[0] + off, op.c[1] + off, op.c[2] + off, op.c[3] + off, op.pen, {}));
                    break;
                }
                i = CollectJoinedRun(list, i, vertices);
                const bool closed = vertices.size() > 2 && vertices.front() == vertices.back();
                for (std::size_t v = 0; v + 1 < vertices.size(); ++v) {
                    const bool lastSegment = v + 2 == vertices.size();
                    items.push_back(SegmentItem(vertices[v].x + off, vertices[v].y + off,
                                                vertices[v + 1].x + off, vertices[v + 1].y + off, op.pen,
                                                SegmentEnds{true, lastSegment && !closed}));
                }
                break;
            }
            case DrawOpKind::Ellipse: {
                const int width = std::abs(op.c[2] - op.c[0]);
                const int height = std::abs(op.c[3] - op.c[1]);
                if (width <= kMaxStampedEllipsePx && height <= kMaxStampedEllipsePx) {
                    items.push_back(StampItem(QPoint(std::min(op.c[0], op.c[2]), std::min(op.c[1], op.c[3])),
                                              EllipseStamp(op)));
                    break;
                }
                const QRectF box = StrokeBox(op);
                if (op.brush.style == BrushStyle::Solid) {
                    items.push_back(EllipseItem(ItemKind::FillEllipse, box, op.pen, op.brush.colour));
                }
                if (op.pen.style == PenStyle::Solid) {
                    items.push_back(EllipseItem(ItemKind::StrokeEllipse, box, op.pen, op.pen.colour));
                } else if (op.pen.style != PenStyle::Clear) {
                    items.push_back(PainterItem(i, box.top() - op.pen.width, box.bottom() + op.pen.width));
                }
                break;
            }
            case DrawOpKind::Arc: {
                if (op.pen.style == PenStyle::Clear) {
                    break;
                }
                const QRectF box = StrokeBox(op);
                if (op.pen.style != PenStyle::Solid) {
                    items.push_back(PainterItem(i, box.top() - op.pen.width, box.bottom() + op.pen.width));
                    break;
                }
                Item item = EllipseItem(ItemKind::Arc, box, op.pen, op.pen.colour);
                const ArcAngles angles = ArcAnglesOf(op, box);
                item.startDeg = angles.startDeg;
                item.spanDeg = angles.spanDeg;
                items.push_back(item);
                break;
            }
            case DrawOpKind::Polygon: {
                int top = 0;
                int bottom = -1;
                for (std::size_t p = 0; p < op.pointCount; ++p) {
                    const int y = list.points[op.firstPoint + p].y;
                    top = p == 0 ? y : std::min(top, y);
                    bottom = p == 0 ? y : std::max(bottom, y);
                }
                if (op.pointCount > 0) {
                    items.push_back(PainterItem(i, top - op.pen.width, bottom + op.pen.width));
                }
                break;
            }
            case DrawOpKind::FillRect:
                if (op.brush.style == BrushStyle::Solid) {
                    Item item;
                    item.kind = ItemKind::FillRect;
                    item.c[0] = op.c[0];
                    item.c[1] = op.c[1];
                    item.c[2] = op.c[2];
                    item.c[3] = op.c[3];
                    item.colour = op.brush.colour;
                    item.top = std::min(op.c[1], op.c[3]);
                    item.bottom = std::max(op.c[1], op.c[3]) - 1;
                    items.push_back(item);
                }
                break;
            case DrawOpKind::Text: {
                TextStampTable*& table = tables[op.fontIndex];
                const Font& font = list.FontOf(op);
                if (table == nullptr) {
                    table = &TextStampsFor(font);
                }
                items.push_back(StampItem(QPoint(op.c[0], op.c[1]), TextStamp(*table, font, fonts, op.text)));
                break;
            }
        }
    }
}

// Draws the ops the rasteriser has no routine for into one band of the frame.
class BandPainter {
public:
    // `bits` is the frame's first row; the frame itself is not touched here,
    // as bands are drawn on several threads at once. `view` is this band's
    // slot for a QImage over its rows, kept from pass to pass: the painter
    // engine an image makes on first use stays with it.
    BandPainter(QImage& view, uchar* bits, int width, qsizetype bytesPerLine, QImage::Format format, int top,
                int rows)
        : view_(view),
          bits_(bits + static_cast<std::ptrdiff_t>(top) * bytesPerLine),
          width_(width),
          rows_(rows),
          bytesPerLine_(bytesPerLine),
          format_(format),
          top_(top)
    {
    }

    void Draw(const DrawList& list, const DrawOp& op)
    {
        if (!painter_) {
            if (view_.constBits() != bits_ || view_.width() != width_ || view_.height() != rows_ ||
                view_.bytesPerLine() != bytesPerLine_ || view_.format() != format_) {
                view_ = QImage(bits_, width_, rows_, bytesPerLine_, format_);
            }
            painter_.emplace(&view_);
            painter_->setRenderHint(QPainter::Antialiasing, true);
            painter_->translate(0, -top_);
            state_.emplace(*painter_);
        }
        QPainter& p = *painter_;
        state_->SetPen(op.pen);
        switch (op.kind) {
            case DrawOpKind::Polygon: {
                state_->SetBrush(op.brush);
                p.drawPolygon(PolygonOf(list, op));
                break;
            }
            case DrawOpKind::Ellipse:
                state_->SetBrush(Brush{op.brush.colour, BrushStyle::Clear});
                p.drawEllipse(StrokeBox(op));
                break;
            case DrawOpKind::Arc: {
                const QRectF box = StrokeBox(op);
                const ArcAngles angles = ArcAnglesOf(op, box);
                p.drawArc(box, static_cast<int>(std::lround(angles.startDeg * kQtAngleUnitsPerDeg)),
                          static_cast<int>(std::lround(angles.spanDeg * kQtAngleUnitsPerDeg)));
                break;
            }
            default:
                break;
        }
    }

private:
    QImage& view_;  // the band's rows of the frame, not a copy
    uchar* bits_;
    int width_;
    int rows_;
    qsizetype bytesPerLine_;
    QImage::Format format_;
    int top_;
    std::optional<QPainter> painter_;
    std::optional<PainterState> state_;
};

void DrawItem(PixelSurface& band, int top, const Item& item, const DrawList& list, BandPainter& painter)
{
    const double dy = -top;
    switch (item.kind) {
        case ItemKind::FillRect:
            RasterFillRect(band, static_cast<int>(item.c[0]), static_cast<int>(item.c[1]) - top,
                           static_cast<int>(item.c[2]), static_cast<int>(item.c[3]) - top, item.colour);
            break;
        case ItemKind::Segment:
            RasterStrokeSegment(band, item.c[0], item.c[1] + dy, item.c[2], item.c[3] + dy, item.style,
                                item.colour, item.ends);
            break;
        case ItemKind::FillEllipse:
            RasterFillEllipse(band, item.c[0], item.c[1] + dy, item.c[2], item.c[3], item.colour);
            break;
        case ItemKind::StrokeEllipse:
            RasterStrokeEllipse(band, item.c[0], item.c[1] + dy, item.c[2], item.c[3], item.style.width,
                                item.colour);
            break;
        case ItemKind::Arc:
            RasterStrokeArc(band, item.c[0], item.c[1] + dy, item.c[2], item.c[3], item.style.width,
                            item.startDeg, item.spanDeg, item.colour);
            break;
        case ItemKind::Stamp: {
            const QImage& image = item.stamp->image;
            RasterBlendImage(band, item.x, item.y - top,
                             reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                             image.height(), image.bytesPerLine() / 4, item.stamp->spans.data());
        } break;
        case ItemKind::Painter:
            painter.Draw(list, list.ops[item.op]);
            break;
    }
}

}  // namespace

void PaintDrawList(QImage& frame, const DrawList& list, FontCache& fonts)
{
    if (!CanRasterise(frame)) {
        QPainter painter(&frame);
        PaintDrawList(painter, list, fonts);
        return;
    }
    thread_local std::vector<Item> items;
    thread_local std::vector<std::vector<std::size_t>> bandItems;
    BeginStampPass();
    Prepare(list, fonts, items);

    const int height = frame.height();
    const int bandRows = std::max<int>(
        kMinBandRows, static_cast<int>(kBandBytes / std::max<qsizetype>(1, frame.bytesPerLine())));
    const int bandCount = (height + bandRows - 1) / bandRows;
    bandItems.resize(static_cast<std::size_t>(bandCount));
    for (auto& band : bandItems) {
        band.clear();
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int first = std::max(0, items[i].top) / bandRows;
        const int last = std::min(height - 1, items[i].bottom) / bandRows;
        if (items[i].bottom < 0 || items[i].top >= height) {
            continue;
        }
        for (int band = first; band <= last; ++band) {
            bandItems[static_cast<std::size_t>(band)].push_back(i);
        }
    }

    uchar* bits = frame.bits();
    const int width = frame.width();
    const qsizetype bytesPerLine = frame.bytesPerLine();
    const QImage::Format format = frame.format();
    std::uint32_t* pixels = reinterpret_cast<std::uint32_t*>(bits);
    const std::ptrdiff_t stride = bytesPerLine / 4;
    thread_local std::vector<QImage> viewsOfThisThread;
    viewsOfThisThread.resize(static_cast<std::size_t>(bandCount));
    // The bands run on other threads too, whose own thread_local copies are
    // not these: they reach the calling thread's through references only.
    std::vector<QImage>& views = viewsOfThisThread;
    const std::vector<Item>& work = items;
    const std::vector<std::vector<std::size_t>>& perBand = bandItems;
    auto drawBand = [&](int band) {
        const int top = band * bandRows;
        const int rows = std::min(bandRows, height - top);
        PixelSurface surface{pixels + stride * top, width, rows, stride};
        BandPainter painter(views[static_cast<std::size_t>(band)], bits, width, bytesPerLine, format, top,
                            rows);
        for (const std::size_t i : perBand[static_cast<std::size_t>(band)]) {
            DrawItem(surface, top, work[i], list, painter);
        }
    };
    BandPool::Shared().Run(bandCount, drawBand);
}

}  // namespace kb
