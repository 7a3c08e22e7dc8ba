#include "painter.h"

#include <QFontMetrics>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "stamps.h"

namespace kb {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;
constexpr int kQtAngleUnitsPerDeg = 16;

// Dash patterns in pen widths: drawn, then left out.
constexpr double kDashOn = 6.0;
constexpr double kDashOff = 3.0;
constexpr double kDotOn = 1.0;
constexpr double kDotOff = 2.0;

// Largest deviation of the chords that stand in for a curve, logical px:
// below what an antialiased one-pixel line shows. Each chord costs the
// engine a line set-up, so the count matters at every ratio alike.
constexpr double kChordTolerancePx = 0.25;
constexpr int kMinChordsPerTurn = 16;

// Odd widths are centred on pixel centres, even widths on pixel edges, so
// that a line covers whole pixels.
double StrokeOffset(const Pen& pen)
{
    return (std::max(1, pen.width) % 2 == 1) ? 0.5 : 0.0;
}

// A line op as drawn: moved onto pixel centres across its direction, and
// along it too unless it is horizontal or vertical, so that a horizontal or
// vertical one-pixel line covers exactly the pixels from its start up to its
// end, as a line-to does.
QLineF LineOf(const DrawOp& op)
{
    const double off = StrokeOffset(op.pen);
    const double offX = op.c[0] == op.c[2] || op.c[1] != op.c[3] ? off : 0.0;
    const double offY = op.c[1] == op.c[3] || op.c[0] != op.c[2] ? off : 0.0;
    return QLineF(op.c[0] + offX, op.c[1] + offY, op.c[2] + offX, op.c[3] + offY);
}

// Whether `next` starts where `line` ends and goes on in its direction.
bool Continues(const QLineF& line, const QLineF& next)
{
    if (line.p2() != next.p1()) {
        return false;
    }
    const QPointF u = line.p2() - line.p1();
    const QPointF v = next.p2() - next.p1();
    return u.x() * v.y() == u.y() * v.x() && u.x() * v.x() + u.y() * v.y() > 0;
}

// The segments of a run of line ops with one solid pen, op `i` onwards, into
// `lines`: a straight stretch made of many segments becomes one, and a
// segment of no length, which draws nothing, is left out. Returns the index
// of the run's last op.
std::size_t CollectRun(const DrawList& list, std::size_t i, std::vector<QLineF>& lines)
{
    const Pen& pen = list.ops[i].pen;
    lines.clear();
    for (;; ++i) {
        const QLineF line = LineOf(list.ops[i]);
        if (line.p1() != line.p2()) {
            if (!lines.empty() && Continues(lines.back(), line)) {
                lines.back().setP2(line.p2());
            } else {
                lines.push_back(line);
            }
        }
        const bool more = pen.style == PenStyle::Solid && i + 1 < list.ops.size() &&
                          list.ops[i + 1].kind == DrawOpKind::Line && list.ops[i + 1].pen == pen;
        if (!more) {
            return i;
        }
    }
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

// Where an arc op starts and how far it runs counterclockwise, in degrees
// (0 < span <= 360).
struct ArcAngles {
    double startDeg = 0.0;
    double spanDeg = 0.0;
};

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

// Chords along the ellipse inscribed in `box`, from `startDeg` counterclockwise
// through `spanDeg`, appended to `lines`.
void AppendChords(const QRectF& box, const ArcAngles& arc, std::vector<QLineF>& lines)
{
    const double rx = box.width() / 2.0;
    const double ry = box.height() / 2.0;
    const double r = std::max(rx, ry);
    const double perTurn =
        r > kChordTolerancePx ? std::numbers::pi / std::acos(1.0 - kChordTolerancePx / r) : 1.0;
    const int chords = std::max(
        1, static_cast<int>(std::ceil(std::max<double>(perTurn, kMinChordsPerTurn) * arc.spanDeg / 360.0)));
    const QPointF centre = box.center();
    const auto at = [&](int i) {
        const double t = (arc.startDeg + arc.spanDeg * i / chords) / kDegPerRad;
        return QPointF(centre.x() + rx * std::cos(t), centre.y() - ry * std::sin(t));
    };
    QPointF previous = at(0);
    for (int i = 1; i <= chords; ++i) {
        const QPointF next = at(i);
        lines.emplace_back(previous, next);
        previous = next;
    }
}

// The fonts of one pass, made on first use.
struct PassFont {
    const QFont* font = nullptr;
    QString key;
    int ascent = 0;
};

// Sets pen, brush and font only when they change: runs of ops share them.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : painter_(painter) {}

    void SetPen(const Pen& pen)
    {
        if (!penSet_ || pen_ != pen) {
            painter_.setPen(MakePen(pen));
            pen_ = pen;
            penSet_ = true;
        }
    }

    void SetBrush(const Brush& brush)
    {
        if (!brushSet_ || brush_ != brush) {
            painter_.setBrush(MakeBrush(brush));
            brush_ = brush;
            brushSet_ = true;
        }
    }

    // Text is drawn with a plain pen of the font's colour.
    void SetText(const QFont& font, Colour colour)
    {
        if (font_ != &font) {
            painter_.setFont(font);
            font_ = &font;
        }
        SetPen(Pen{colour, 1, PenStyle::Solid});
    }

private:
    QPainter& painter_;
    Pen pen_;
    Brush brush_;
    const QFont* font_ = nullptr;
    bool penSet_ = false;
    bool brushSet_ = false;
};

}  // namespace

QColor ToQColor(Colour colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// Qt's raster engine sweeps segments with flat or square ends directly; a
// round end or join sends the stroke through its general path stroker, many
// times slower. Square ends reach as far as round ones and close the joints
// of a run of wide segments.
QPen MakePen(const Pen& pen)
{
    if (pen.style == PenStyle::Clear) {
        return QPen(Qt::NoPen);
    }
    QPen q(ToQColor(pen.colour));
    q.setWidth(std::max(1, pen.width));
    q.setCapStyle(pen.width > 1 ? Qt::SquareCap : Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    if (pen.style == PenStyle::Dash) {
        q.setDashPattern({kDashOn, kDashOff});
    } else if (pen.style == PenStyle::Dot) {
        q.setDashPattern({kDotOn, kDotOff});
    }
    return q;
}

QBrush MakeBrush(const Brush& brush)
{
    return brush.style == BrushStyle::Solid ? QBrush(ToQColor(brush.colour)) : QBrush(Qt::NoBrush);
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

void PaintDrawList(QPainter& painter, const DrawList& list, PaintCache& cache)
{
    // Polylines, and curves with a pen wider than one device pixel, would go
    // through the raster engine's path stroker: a raster device gets them as
    // separate segments, and small ellipses and texts as images and layouts
    // made once. A vector device gets each shape as it is.
    const QPaintEngine* engine = painter.paintEngine();
    const bool raster = engine != nullptr && engine->type() == QPaintEngine::Raster;
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    PainterState state(painter);
    std::vector<QLineF> lines;
    std::vector<PassFont> fonts(list.fonts.size());
    const auto fontOf = [&](const DrawOp& op) -> const PassFont& {
        PassFont& f = fonts[op.fontIndex];
        if (f.font == nullptr) {
            const Font& font = list.FontOf(op);
            f.font = &cache.Fonts().Get(font);
            f.key = PaintCache::FontKey(font, ratio);
            f.ascent = QFontMetrics(*f.font).ascent();
        }
        return f;
    };

    const std::size_t count = list.ops.size();
    for (std::size_t i = 0; i < count; ++i) {
        const DrawOp& op = list.ops[i];
        switch (op.kind) {
            case DrawOpKind::FillRect: {
                if (op.brush.style == BrushStyle::Solid) {
                    const QRect rect = QRect(QPoint(op.c[0], op.c[1]), QPoint(op.c[2], op.c[3])).normalized();
                    painter.fillRect(rect.adjusted(0, 0, -1, -1), ToQColor(op.brush.colour));
                }
                break;
            }
            case DrawOpKind::Line: {
                // A run of solid segments with one pen is one call; dashes and
                // dots start afresh on every segment. A long run on a small
                // picture is drawn once and stamped while it stays the same.
                const std::size_t first = i;
                i = CollectRun(list, i, lines);
                if (raster && PaintCache::StampsRun(lines)) {
                    if (const Stamp* stamp = cache.Run(list, first, i, lines, ratio)) {
                        painter.drawImage(stamp->offset, stamp->image);
                        break;
                    }
                }
                state.SetPen(op.pen);
                painter.drawLines(lines.data(), static_cast<int>(lines.size()));
                break;
            }
            case DrawOpKind::Ellipse: {
                const int width = std::abs(op.c[2] - op.c[0]);
                const int height = std::abs(op.c[3] - op.c[1]);
                if (raster && width <= PaintCache::kMaxStampedEllipsePx &&
                    height <= PaintCache::kMaxStampedEllipsePx) {
                    if (const Stamp* stamp = cache.Ellipse(op, ratio)) {
                        const QPointF corner(std::min(op.c[0], op.c[2]), std::min(op.c[1], op.c[3]));
                        painter.drawImage(corner + stamp->offset, stamp->image);
                        break;
                    }
                }
                const QRectF box = StrokeBox(op);
                if (!raster || op.pen.style == PenStyle::Dash || op.pen.style == PenStyle::Dot) {
                    state.SetPen(op.pen);
                    state.SetBrush(op.brush);
                    painter.drawEllipse(box);
                    break;
                }
                if (op.brush.style == BrushStyle::Solid) {
                    state.SetPen(Pen{op.pen.colour, op.pen.width, PenStyle::Clear});
                    state.SetBrush(op.brush);
                    painter.drawEllipse(box);
                }
                if (op.pen.style != PenStyle::Clear) {
                    lines.clear();
                    AppendChords(box, ArcAngles{0.0, 360.0}, lines);
                    state.SetPen(op.pen);
                    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
                }
                break;
            }
            case DrawOpKind::Arc: {
                const QRectF box = StrokeBox(op);
                const ArcAngles arc = ArcAnglesOf(op, box);
                state.SetPen(op.pen);
                if (raster && op.pen.style == PenStyle::Solid) {
                    lines.clear();
                    AppendChords(box, arc, lines);
                    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
                } else {
                    painter.drawArc(box, static_cast<int>(std::lround(arc.startDeg * kQtAngleUnitsPerDeg)),
                                    static_cast<int>(std::lround(arc.spanDeg * kQtAngleUnitsPerDeg)));
                }
                break;
            }
            case DrawOpKind::Polygon: {
                QPolygonF polygon;
                polygon.reserve(static_cast<qsizetype>(op.pointCount));
                const double off = op.pen.style == PenStyle::Clear ? 0.0 : StrokeOffset(op.pen);
                for (std::size_t p = 0; p < op.pointCount; ++p) {
                    const ScreenPoint& sp = list.points[op.firstPoint + p];
                    polygon << QPointF(sp.x + off, sp.y + off);
                }
                state.SetPen(op.pen);
                state.SetBrush(op.brush);
                painter.drawPolygon(polygon);
                break;
            }
            case DrawOpKind::Text: {
                const PassFont& font = fontOf(op);
                if (raster) {
                    if (const Stamp* stamp = cache.Text(list.FontOf(op), font.key, op.text, ratio)) {
                        painter.drawImage(QPointF(op.c[0], op.c[1]) + stamp->offset, stamp->image);
                        break;
                    }
                }
                state.SetText(*font.font, list.FontOf(op).colour);
                painter.drawText(QPointF(op.c[0], op.c[1] + font.ascent), QString::fromStdString(op.text));
                break;
            }
        }
    }
}

}  // namespace kb
