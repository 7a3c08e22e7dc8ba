#include "painter.h"

#include <QFontMetrics>
#include <QPolygon>
#include <cmath>
#include <numbers>
#include <vector>

namespace kb {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;
constexpr int kQtAngleUnitsPerDeg = 16;

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

// Odd widths are centred on pixel centres, even widths on pixel edges.
double StrokeOffset(const Pen& pen) { return (std::max(1, pen.width) % 2 == 1) ? 0.5 : 0.0; }

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
    return QRectF(x1 + inset, y1 + inset, std::max(0.0, x2 - x1 - 2 * inset), std::max(0.0, y2 - y1 - 2 * inset));
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

void SetBrush(QPainter& painter, const Brush& brush)
{
    if (brush.style == BrushStyle::Solid) {
        painter.setBrush(ToQColor(brush.colour));
    } else {
        painter.setBrush(Qt::NoBrush);
    }
}

}  // namespace

QColor ToQColor(Colour colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

void PaintDrawList(QPainter& painter, const DrawList& list, FontCache& fonts)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    std::vector<QPointF> polyline;
    const std::size_t count = list.ops.size();
    for (std::size_t i = 0; i < count; ++i) {
        const DrawOp& op = list.ops[i];
        switch (op.kind) {
        case DrawOpKind::Line: {
            const double off = StrokeOffset(op.pen);
            painter.setPen(MakePen(op.pen));
            // Joined runs of segments with the same pen become one polyline.
            polyline.clear();
            polyline.emplace_back(op.c[0] + off, op.c[1] + off);
            polyline.emplace_back(op.c[2] + off, op.c[3] + off);
            while (i + 1 < count) {
                const DrawOp& next = list.ops[i + 1];
                if (next.kind != DrawOpKind::Line || !(next.pen == op.pen) || next.c[0] != list.ops[i].c[2] ||
                    next.c[1] != list.ops[i].c[3] || op.pen.style != PenStyle::Solid) {
                    break;
                }
                ++i;
                polyline.emplace_back(next.c[2] + off, next.c[3] + off);
            }
            painter.drawPolyline(polyline.data(), static_cast<int>(polyline.size()));
            break;
        }
        case DrawOpKind::Ellipse:
            painter.setPen(MakePen(op.pen));
            SetBrush(painter, op.brush);
            painter.drawEllipse(StrokeBox(op));
            break;
        case DrawOpKind::Arc: {
            painter.setPen(MakePen(op.pen));
            const QRectF box = StrokeBox(op);
            const double start = RayAngleDeg(box, op.c[4], op.c[5]);
            const double end = RayAngleDeg(box, op.c[6], op.c[7]);
            double span = end - start;
            while (span <= 0.0) {
                span += 360.0;
            }
            painter.drawArc(box, static_cast<int>(std::lround(start * kQtAngleUnitsPerDeg)),
                            static_cast<int>(std::lround(span * kQtAngleUnitsPerDeg)));
            break;
        }
        case DrawOpKind::Polygon: {
            painter.setPen(MakePen(op.pen));
            SetBrush(painter, op.brush);
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
            const QFont& qfont = fonts.Get(font);
            painter.setFont(qfont);
            painter.setPen(ToQColor(font.colour));
            painter.drawText(QPointF(op.c[0], op.c[1] + QFontMetrics(qfont).ascent()), QString::fromStdString(op.text));
            break;
        }
        }
    }
}

}  // namespace kb
