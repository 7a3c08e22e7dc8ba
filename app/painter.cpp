#include "painter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPolygon>
#include <cmath>
#include <cstddef>
#include <functional>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

namespace kb {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;
constexpr int kQtAngleUnitsPerDeg = 16;

// Largest deviation of the chords that stand in for a wide curve, px.
constexpr double kChordTolerancePx = 0.05;
constexpr int kMinChordsPerTurn = 16;

// Small ellipses (lattice points, reciprocal points, marks) come by the dozen
// in every pass; each distinct one is rasterised once and then stamped.
constexpr int kMaxStampedEllipsePx = 96;
// Room around a stamp for the pen and the antialiased fringe, px.
constexpr int kStampMarginPx = 3;
// The caches are dropped whole when they grow past these counts, so a long
// run with ever new texts cannot grow them without bound.
constexpr std::size_t kMaxEllipseStamps = 256;
constexpr std::size_t kMaxTextStamps = 512;

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
        q.setDashPattern({6.0, 3.0});
    } else if (pen.style == PenStyle::Dot) {
        q.setDashPattern({1.0, 2.0});
    }
    return q;
}

// Wide solid pens draw separate segments with square ends: the raster
// engine sweeps those directly, while round caps and joins send every stroke
// through the general path stroker, some thirty times slower on long lines.
// A square end reaches as far as a round one and closes the joins of a run.
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

// Chords along the ellipse inscribed in `box`, from `startDeg` counterclockwise
// through `spanDeg` (angles as in QPainter::drawArc), appended to `lines`.
void AppendEllipseChords(const QRectF& box, double startDeg, double spanDeg, std::vector<QLineF>& lines)
{
    const double rx = box.width() / 2.0;
    const double ry = box.height() / 2.0;
    const double r = std::max(rx, ry);
    const double perTurn =
        r > kChordTolerancePx ? std::numbers::pi / std::acos(1.0 - kChordTolerancePx / r) : 1.0;
    const int chords = std::max(1, static_cast<int>(std::ceil(std::max<double>(perTurn, kMinChordsPerTurn) *
                                                              std::abs(spanDeg) / 360.0)));
    const QPointF centre = box.center();
    auto at = [&](int i) {
        const double t = (startDeg + spanDeg * i / chords) / kDegPerRad;
        return QPointF(centre.x() + rx * std::cos(t), centre.y() - ry * std::sin(t));
    };
    QPointF previous = at(0);
    for (int i = 1; i <= chords; ++i) {
        const QPointF next = at(i);
        lines.emplace_back(previous, next);
        previous = next;
    }
}

// Whether b -> c goes on in the direction of a -> b.
bool ContinuesStraight(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c)
{
    const long long ux = b.x - a.x;
    const long long uy = b.y - a.y;
    const long long vx = c.x - b.x;
    const long long vy = c.y - b.y;
    return ux * vy == uy * vx && ux * vx + uy * vy > 0;
}

// Odd widths are centred on pixel centres, even widths on pixel edges.
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

// Angle in degrees, counterclockwise on the screen, of the ellipse point that
// the ray from the box centre through (x, y) meets.
double RayAngleDeg(const QRectF& box, int x, int y)
{
    const double rx = std::max(box.width() / 2.0, 1e-9);
    const double ry = std::max(box.height() / 2.0, 1e-9);
    const double dx = x - box.center().x();
    const double dy = box.center().y() - y;
    return std::atan2(dy / ry, dx / rx) * kDegPerRad;
}

QBrush MakeBrush(const Brush& brush)
{
    return brush.style == BrushStyle::Solid ? QBrush(ToQColor(brush.colour)) : QBrush(Qt::NoBrush);
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

// A pre-rendered piece of the picture and where it goes relative to the
// op's anchor point (its box corner or text position).
struct Stamp {
    QImage image;
    QPoint offset;
};

// Holds only images, no fonts, so that it can outlive the application object.
struct StampCache {
    std::unordered_map<EllipseKey, Stamp, EllipseKeyHash> ellipses;
    std::unordered_map<std::string, Stamp> texts;
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
    if (cache.ellipses.size() >= kMaxEllipseStamps) {
        cache.ellipses.clear();
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
    return cache.ellipses.emplace(key, std::move(stamp)).first->second;
}

std::string TextKey(const Font& font, const std::string& text)
{
    std::string key = font.face;
    key += '\x1f';
    key += std::to_string(font.height);
    key += '\x1f';
    key += std::to_string(font.pointSize);
    key += '\x1f';
    key += std::to_string(font.colour);
    key += '\x1f';
    key += text;
    return key;
}

// The text as drawn with the top-left corner of its cell at the origin; the
// glyphs sit on the same whole-pixel baseline as when drawn in place.
const Stamp& TextStamp(const Font& font, FontCache& fonts, const std::string& text)
{
    StampCache& cache = Stamps();
    std::string key = TextKey(font, text);
    if (const auto found = cache.texts.find(key); found != cache.texts.end()) {
        return found->second;
    }
    if (cache.texts.size() >= kMaxTextStamps) {
        cache.texts.clear();
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
    return cache.texts.emplace(std::move(key), std::move(stamp)).first->second;
}

// Stamps are exact only when one logical pixel is one device pixel, the
// painter moves by whole pixels at most, and pixels are blended normally.
bool CanStamp(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    const QTransform& transform = painter.deviceTransform();
    return device != nullptr && device->devicePixelRatioF() == 1.0 &&
           transform.type() <= QTransform::TxTranslate && transform.dx() == std::floor(transform.dx()) &&
           transform.dy() == std::floor(transform.dy()) &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

// Sets pen and brush only when they change: runs of ops share them.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : painter_(painter) {}

    void SetPen(const Pen& pen) { Apply(pen, false); }
    // The pen for separate square-ended segments of a wide solid stroke.
    void SetSegmentPen(const Pen& pen) { Apply(pen, true); }

    void SetBrush(const Brush& brush)
    {
        if (!brushSet_ || brush_ != brush) {
            painter_.setBrush(MakeBrush(brush));
            brush_ = brush;
            brushSet_ = true;
        }
    }

    // After the painter's pen was set behind this tracker's back.
    void ForgetPen() { penSet_ = false; }

private:
    void Apply(const Pen& pen, bool segments)
    {
        if (!penSet_ || pen_ != pen || segments_ != segments) {
            painter_.setPen(segments ? SegmentPen(pen) : MakePen(pen));
            pen_ = pen;
            segments_ = segments;
            penSet_ = true;
        }
    }

    QPainter& painter_;
    Pen pen_;
    Brush brush_;
    bool segments_ = false;
    bool penSet_ = false;
    bool brushSet_ = false;
};

// Outline of an ellipse or arc. Wide solid outlines go as chords, the rest
// through the painter's own curve stroking.
void StrokeCurve(QPainter& painter, PainterState& state, const Pen& pen, const QRectF& box, bool closed,
                 double startDeg, double spanDeg, std::vector<QLineF>& lines)
{
    if (IsWideSolid(pen)) {
        state.SetSegmentPen(pen);
        lines.clear();
        AppendEllipseChords(box, startDeg, spanDeg, lines);
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
        return;
    }
    state.SetPen(pen);
    if (closed) {
        painter.drawEllipse(box);
    } else {
        painter.drawArc(box, static_cast<int>(std::lround(startDeg * kQtAngleUnitsPerDeg)),
                        static_cast<int>(std::lround(spanDeg * kQtAngleUnitsPerDeg)));
    }
}

}  // namespace

QColor ToQColor(Colour colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

void PaintDrawList(QPainter& painter, const DrawList& list, FontCache& fonts)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const bool stamp = CanStamp(painter);
    PainterState state(painter);
    std::vector<ScreenPoint> vertices;
    std::vector<QPointF> polyline;
    std::vector<QLineF> lines;
    const std::size_t count = list.ops.size();
    for (std::size_t i = 0; i < count; ++i) {
        const DrawOp& op = list.ops[i];
        switch (op.kind) {
            case DrawOpKind::Line: {
                const double off = StrokeOffset(op.pen);
                if (IsWideSolid(op.pen)) {
                    // Every following segment with the same pen joins the batch.
                    state.SetSegmentPen(op.pen);
                    lines.clear();
                    lines.emplace_back(op.c[0] + off, op.c[1] + off, op.c[2] + off, op.c[3] + off);
                    while (i + 1 < count && list.ops[i + 1].kind == DrawOpKind::Line &&
                           list.ops[i + 1].pen == op.pen) {
                        const DrawOp& next = list.ops[++i];
                        lines.emplace_back(next.c[0] + off, next.c[1] + off, next.c[2] + off,
                                           next.c[3] + off);
                    }
                    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
                    break;
                }
                state.SetPen(op.pen);
                // Joined runs of segments with the same pen become one polyline,
                // and straight runs within it one segment: each vertex costs the
                // line stroker a set-up and leaves a lighter pixel at the joint.
                vertices.clear();
                vertices.push_back(ScreenPoint{op.c[0], op.c[1]});
                vertices.push_back(ScreenPoint{op.c[2], op.c[3]});
                while (i + 1 < count) {
                    const DrawOp& next = list.ops[i + 1];
                    if (next.kind != DrawOpKind::Line || !(next.pen == op.pen) ||
                        next.c[0] != list.ops[i].c[2] || next.c[1] != list.ops[i].c[3] ||
                        op.pen.style != PenStyle::Solid) {
                        break;
                    }
                    ++i;
                    const ScreenPoint end{next.c[2], next.c[3]};
                    if (vertices.size() >= 2 &&
                        ContinuesStraight(vertices[vertices.size() - 2], vertices.back(), end)) {
                        vertices.back() = end;
                    } else {
                        vertices.push_back(end);
                    }
                }
                polyline.clear();
                for (const ScreenPoint& v : vertices) {
                    polyline.emplace_back(v.x + off, v.y + off);
                }
                painter.drawPolyline(polyline.data(), static_cast<int>(polyline.size()));
                break;
            }
            case DrawOpKind::Ellipse: {
                const int width = std::abs(op.c[2] - op.c[0]);
                const int height = std::abs(op.c[3] - op.c[1]);
                if (stamp && width <= kMaxStampedEllipsePx && height <= kMaxStampedEllipsePx) {
                    const Stamp& s = EllipseStamp(op);
                    painter.drawImage(
                        QPoint(std::min(op.c[0], op.c[2]), std::min(op.c[1], op.c[3])) + s.offset, s.image);
                    break;
                }
                const QRectF box = StrokeBox(op);
                if (op.brush.style == BrushStyle::Solid) {
                    state.SetPen(Pen{op.pen.colour, op.pen.width, PenStyle::Clear});
                    state.SetBrush(op.brush);
                    painter.drawEllipse(box);
                }
                if (op.pen.style != PenStyle::Clear) {
                    state.SetBrush(Brush{op.brush.colour, BrushStyle::Clear});
                    StrokeCurve(painter, state, op.pen, box, true, 0.0, 360.0, lines);
                }
                break;
            }
            case DrawOpKind::Arc: {
                const QRectF box = StrokeBox(op);
                const double start = RayAngleDeg(box, op.c[4], op.c[5]);
                const double end = RayAngleDeg(box, op.c[6], op.c[7]);
                double span = end - start;
                while (span <= 0.0) {
                    span += 360.0;
                }
                StrokeCurve(painter, state, op.pen, box, false, start, span, lines);
                break;
            }
            case DrawOpKind::Polygon: {
                state.SetPen(op.pen);
                state.SetBrush(op.brush);
                QPolygonF polygon;
                polygon.reserve(static_cast<qsizetype>(op.pointCount));
                const double off = op.pen.style == PenStyle::Clear ? 0.0 : StrokeOffset(op.pen);
                for (std::size_t p = 0; p < op.pointCount; ++p) {
                    const ScreenPoint& sp = list.points[op.firstPoint + p];
                    polygon << QPointF(sp.x + off, sp.y + off);
                }
                painter.drawPolygon(polygon);
                break;
            }
            case DrawOpKind::FillRect:
                if (op.brush.style == BrushStyle::Solid) {
                    painter.fillRect(QRect(QPoint(op.c[0], op.c[1]), QPoint(op.c[2] - 1, op.c[3] - 1)),
                                     ToQColor(op.brush.colour));
                }
                break;
            case DrawOpKind::Text: {
                const Font& font = list.FontOf(op);
                if (stamp) {
                    const Stamp& s = TextStamp(font, fonts, op.text);
                    painter.drawImage(QPoint(op.c[0], op.c[1]) + s.offset, s.image);
                    break;
                }
                const QFont& qfont = fonts.Get(font);
                painter.setFont(qfont);
                painter.setPen(ToQColor(font.colour));
                state.ForgetPen();
                painter.drawText(QPointF(op.c[0], op.c[1] + QFontMetrics(qfont).ascent()),
                                 QString::fromStdString(op.text));
                break;
            }
        }
    }
}

}  // namespace kb
