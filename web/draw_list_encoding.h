#pragma once

#include <cstdint>
#include <vector>

#include "render/draw_list.h"

namespace kb {

// A draw list as one array of 32-bit integers for the page's replay: a
// sequence of commands, each a code followed by its operands. Pen, brush and
// font appear only where they change, before the first shape that uses them.
enum class WebCommand : std::int32_t {
    Pen = 1,       // colour, width, style (PenStyle)
    Brush = 2,     // colour, style (BrushStyle)
    Font = 3,      // pixel size, ascent, colour
    Line = 4,      // x1, y1, x2, y2
    Ellipse = 5,   // box x1, y1, x2, y2
    Arc = 6,       // box x1, y1, x2, y2, start ray x3, y3, end ray x4, y4
    Polygon = 7,   // n, then n points x, y
    FillRect = 8,  // x1, y1, x2, y2
    Text = 9,      // x, y of the cell's top left, n, then n UTF-16 code units
};

// Appends the encoding of `list` to `out`, after clearing it.
void EncodeDrawList(const DrawList& list, std::vector<std::int32_t>& out);

}  // namespace kb
