#pragma once

#include <QImage>
#include <QPainter>

#include "fonts.h"
#include "render/draw_list.h"

namespace kb {

// Paints a recorded pass. One-pixel lines fall on pixel centres, so they stay
// one pixel wide; circles and slanted lines are antialiased.
void PaintDrawList(QPainter& painter, const DrawList& list, FontCache& fonts);

// Paints a recorded pass into a frame, the way the window shows it. A frame
// of one device pixel per logical pixel is drawn by the pixel rasteriser,
// a few times faster than the painter, with the painter left only the rare
// shapes it has no routine for; any other frame goes through the painter.
void PaintDrawList(QImage& frame, const DrawList& list, FontCache& fonts);

QColor ToQColor(Colour colour);

}  // namespace kb
