#pragma once

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>
#include <QRectF>

#include "render/draw_list.h"

namespace kb {

class PaintCache;

// The one way a recorded pass becomes a picture: replays the draw list with
// `painter`, onto whatever device it paints (the window at any pixel ratio,
// an image, an SVG or PDF file, a printer). Coordinates are logical pixels.
// One-pixel lines are one logical pixel wide and fall on whole pixels at
// every ratio; curves and slanted lines are antialiased. On a raster device
// small ellipses, texts and long curves come from `cache` where it can hold
// them; a vector device gets every line, curve and text as a shape of its own.
void PaintDrawList(QPainter& painter, const DrawList& list, PaintCache& cache);

QColor ToQColor(Colour colour);
QPen MakePen(const Pen& pen);
QBrush MakeBrush(const Brush& brush);

// The box of an ellipse or arc op, shrunk so that its pen stays inside.
QRectF StrokeBox(const DrawOp& op);

}  // namespace kb
