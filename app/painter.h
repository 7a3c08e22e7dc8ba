#pragma once

#include <QPainter>

#include "fonts.h"
#include "render/draw_list.h"

namespace kb {

// Paints a recorded pass. One-pixel lines fall on pixel centres, so they stay
// one pixel wide; circles and slanted lines are antialiased.
void PaintDrawList(QPainter& painter, const DrawList& list, FontCache& fonts);

QColor ToQColor(Colour colour);

}  // namespace kb
