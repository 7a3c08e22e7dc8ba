#include "painter.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPolygon>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

#include "paint_support.h"

namespace kb {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

// Largest deviation of the chords that stand in for a wide curve, px.
constexpr double kChordTolerancePx = 0.05;
constexpr int kMinChordsPerTurn = 16;

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
    BeginStampPass();
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
                i = CollectJoinedRun(list, i, vertices);
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
                const ArcAngles angles = ArcAnglesOf(op, box);
                StrokeCurve(painter, state, op.pen, box, false, angles.startDeg, angles.spanDeg, lines);
                break;
            }
            case DrawOpKind::Polygon: {
                state.SetPen(op.pen);
                state.SetBrush(op.brush);
                painter.drawPolygon(PolygonOf(list, op));
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
