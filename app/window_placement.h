#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace kb {

// The frame a desktop draws round a window before the window manager has
// said: a title bar and a thin border, as the layout's 800 × 595 outer size
// for its 792 × 568 client area assumes.
inline constexpr QMargins kAssumedFrame{4, 23, 4, 4};

// Where a window that wants the frame `wanted` goes on a screen whose free
// area is `available`: where it wants to be if it fits there, otherwise moved
// into the area and, only if it is larger, made as large as the area, but
// never smaller than `minimum` (the frame's smallest size).
QRect FitIntoScreen(const QRect& wanted, const QSize& minimum, const QRect& available);

}  // namespace kb
