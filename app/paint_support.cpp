#include "paint_support.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <unordered_map>
#include <utility>

#include "painter.h"

namespace kb {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

// Room around a stamp for the pen and the antialiased fringe, px.
constexpr int kStampMarginPx = 3;
// The caches are dropped whole, between passes, once they have grown past
// these counts, so a long run with ever new texts cannot grow them without
// bound, and no stamp goes away while a pass uses it.
constexpr std::size_t kMaxEllipseStamps = 256;
constexpr std::size_t kMaxTextStamps = 512;

// Whether b -> c goes on in the direction of a -> b.
bool ContinuesStraight(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c)
{
    const long long ux = b.x - a.x;
    const long long uy = b.y - a.y;
    const long long vx = c.x - b.x;
    const long long vy = c.y - b.y;
    return ux * vy == uy * vx && ux * vx + uy * vy > 0;
}

void HashCombine(std::size_t& seed, std::size_t value)
{
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

struct EllipseKey {
    int width = 0;  // px, of the op's box
    int height = 0;
    Pen pen;
    Brush brush;

    friend bool operator==(const EllipseKey&, const EllipseKey&) = default;
};

struct EllipseKeyHash {
    std::size_t operator()(const EllipseKey& k) const
    {
        std::size_t seed = std::hash<int>{}(k.width);
        for (const std::size_t v :
             {std::size_t(k.height), std::size_t(k.pen.colour), std::size_t(k.pen.width),
              std::size_t(k.pen.style), std::size_t(k.brush.colour), std::size_t(k.brush.style)}) {
            HashCombine(seed, v);
        }
        return seed;
    }
};

// Holds only images, no fonts, so that it can outlive the application object.
struct StampCache {
    std::unordered_map<EllipseKey, Stamp, EllipseKeyHash> ellipses;
    // By font, then by text: a pass looks each of its fonts up once.
    std::unordered_map<std::string, TextStampTable> texts;
    std::size_t textCount = 0;
};

StampCache& Stamps()
{
    static StampCache cache;
    return cache;
}

QImage TransparentImage(int width, int height)
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

std::string FontKey(const Font& font)
{
    std::string key = font.face;
    key += '\x1f';
    key += std::to_string(font.height);
    key += '\x1f';
    key += std::to_string(font.pointSize);
    key += '\x1f';
    key += std::to_string(font.colour);
    return key;
}

void FindSpans(Stamp& stamp)
{
    const QImage& image = stamp.image;
    stamp.spans = VisibleSpans(reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                               image.height(), image.bytesPerLine() / 4);
}

}  // namespace

QPen MakePen(const Pen& pen)
{
    if (pen.style == PenStyle::Clear) {
        return QPen(Qt::NoPen);
    }
    QPen q(ToQColor(pen.colour));
    q.setWidth(std::max(1, pen.width));
    q.setJoinStyle(Qt::RoundJoin);
    q.setCapStyle(pen.width > 1 ? Qt::RoundCap : Qt::FlatCap);
    if (pen.style == PenStyle::Dash) {
        q.setDashPattern({kDashOn, kDashOff});
    } else if (pen.style == PenStyle::Dot) {
        q.setDashPattern({kDotOn, kDotOff});
    }
    return q;
}

bool IsWideSolid(const Pen& pen)
{
    return pen.style == PenStyle::Solid && pen.width > 1;
}

QPen SegmentPen(const Pen& pen)
{
    QPen q = MakePen(pen);
    q.setCapStyle(Qt::SquareCap);
    q.setJoinStyle(Qt::MiterJoin);
    return q;
}

double StrokeOffset(const Pen& pen)
{
    return (std::max(1, pen.width) % 2 == 1) ? 0.5 : 0.0;
}

QRectF StrokeBox(const DrawOp& op)
{
    const double x1 = std::min(op.c[0], op.c[2]);
    const double x2 = std::max(op.c[0], op.c[2]);
    const double y1 = std::min(op.c[1], op.c[3]);
    const double y2 = std::max(op.c[1], op.c[3]);
    if (op.pen.style == PenStyle::Clear) {
        return QRectF(x1, y1, x2 - x1, y2 - y1);
    }
    const double inset = std::max(1, op.pen.width) / 2.0;
    return QRectF(x1 + inset, y1 + inset, std::max(0.0, x2 - x1 - 2 * inset),
                  std::max(0.0, y2 - y1 - 2 * inset));
}

double RayAngleDeg(const QRectF& box, int x, int y)
{
    const double rx = std::max(box.width() / 2.0, 1e-9);
    const double ry = std::max(box.height() / 2.0, 1e-9);
    const double dx = x - box.center().x();
    const double dy = box.center().y() - y;
    return std::atan2(dy / ry, dx / rx) * kDegPerRad;
}

ArcAngles ArcAnglesOf(const DrawOp& op, const QRectF& box)
{
    ArcAngles angles;
    angles.startDeg = RayAngleDeg(box, op.c[4], op.c[5]);
    angles.spanDeg = RayAngleDeg(box, op.c[6], op.c[7]) - angles.startDeg;
    while (angles.spanDeg <= 0.0) {
        angles.spanDeg += 360.0;
    }
    return angles;
}

QPolygonF PolygonOf(const DrawList& list, const DrawOp& op)
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(op.pointCount));
    const double off = op.pen.style == PenStyle::Clear ? 0.0 : StrokeOffset(op.pen);
    for (std::size_t p = 0; p < op.pointCount; ++p) {
        const ScreenPoint& sp = list.points[op.firstPoint + p];
        polygon << QPointF(sp.x + off, sp.y + off);
    }
    return polygon;
}

QBrush MakeBrush(const Brush& brush)
{
    return brush.style == BrushStyle::Solid ? QBrush(ToQColor(brush.colour)) : QBrush(Qt::NoBrush);
}

// The ellipse of `op` as drawn with its box corner at the origin. The box has
// integer corners, so moving it by whole pixels moves the rasterised pixels
// unchanged and one stamp serves every ellipse of the same size and settings.
const Stamp& EllipseStamp(const DrawOp& op)
{
    StampCache& cache = Stamps();
    const int x1 = std::min(op.c[0], op.c[2]);
    const int y1 = std::min(op.c[1], op.c[3]);
    const EllipseKey key{std::abs(op.c[2] - op.c[0]), std::abs(op.c[3] - op.c[1]), op.pen, op.brush};
    if (const auto found = cache.ellipses.find(key); found != cache.ellipses.end()) {
        return found->second;
    }
    const int margin = kStampMarginPx + std::max(1, op.pen.width);
    Stamp stamp;
    stamp.image = TransparentImage(key.width + 2 * margin, key.height + 2 * margin);
    stamp.offset = QPoint(-margin, -margin);
    {
        QPainter p(&stamp.image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(MakePen(op.pen));
        p.setBrush(MakeBrush(op.brush));
        p.drawEllipse(StrokeBox(op).translated(margin - x1, margin - y1));
    }
    FindSpans(stamp);
    return cache.ellipses.emplace(key, std::move(stamp)).first->second;
}

// The text as drawn with the top-left corner of its cell at the origin; the
// glyphs sit on the same whole-pixel baseline as when drawn in place.
void BeginStampPass()
{
    StampCache& cache = Stamps();
    if (cache.ellipses.size() >= kMaxEllipseStamps) {
        cache.ellipses.clear();
    }
    if (cache.textCount >= kMaxTextStamps) {
        cache.texts.clear();
        cache.textCount = 0;
    }
}

TextStampTable& TextStampsFor(const Font& font)
{
    return Stamps().texts[FontKey(font)];
}

const Stamp& TextStamp(const Font& font, FontCache& fonts, const std::string& text)
{
    return TextStamp(TextStampsFor(font), font, fonts, text);
}

const Stamp& TextStamp(TextStampTable& table, const Font& font, FontCache& fonts, const std::string& text)
{
    if (const auto found = table.find(text); found != table.end()) {
        return found->second;
    }
    const QFont& qfont = fonts.Get(font);
    const QString string = QString::fromStdString(text);
    const QFontMetrics metrics(qfont);
    const QRect cell(0, -metrics.ascent(), std::max(1, metrics.horizontalAdvance(string)), metrics.height());
    const QRect area = cell.united(metrics.boundingRect(string))
                           .adjusted(-kStampMarginPx, -kStampMarginPx, kStampMarginPx, kStampMarginPx);
    Stamp stamp;
    stamp.image = TransparentImage(area.width(), area.height());
    stamp.offset = QPoint(area.left(), area.top() + metrics.ascent());
    {
        QPainter p(&stamp.image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(qfont);
        p.setPen(ToQColor(font.colour));
        p.drawText(QPoint(-area.left(), -area.top()), string);
    }
    FindSpans(stamp);
    ++Stamps().textCount;
    return table.emplace(text, std::move(stamp)).first->second;
}

std::size_t CollectJoinedRun(const DrawList& list, std::size_t i, std::vector<ScreenPoint>& vertices)
{
    const DrawOp& op = list.ops[i];
    vertices.clear();
    vertices.push_back(ScreenPoint{op.c[0], op.c[1]});
    vertices.push_back(ScreenPoint{op.c[2], op.c[3]});
    while (i + 1 < list.ops.size()) {
        const DrawOp& next = list.ops[i + 1];
        if (next.kind != DrawOpKind::Line || !(next.pen == op.pen) || next.c[0] != list.ops[i].c[2] ||
            next.c[1] != list.ops[i].c[3] || op.pen.style != PenStyle::Solid) {
            break;
        }
        ++i;
        const ScreenPoint end{next.c[2], next.c[3]};
        if (ContinuesStraight(vertices[vertices.size() - 2], vertices.back(), end)) {
            vertices.back() = end;
        } else {
            vertices.push_back(end);
        }
    }
    return i;
}

void PainterState::SetBrush(const Brush& brush)
{
    if (!brushSet_ || brush_ != brush) {
        painter_.setBrush(MakeBrush(brush));
        brush_ = brush;
        brushSet_ = true;
    }
}

void PainterState::Apply(const Pen& pen, bool segments)
{
    if (!penSet_ || pen_ != pen || segments_ != segments) {
        painter_.setPen(segments ? SegmentPen(pen) : MakePen(pen));
        pen_ = pen;
        segments_ = segments;
        penSet_ = true;
    }
}

}  // namespace kb
