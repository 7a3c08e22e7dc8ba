#include "window_placement.h"

#include <algorithm>

namespace kb {
namespace {

// Start and length along one axis: as wanted where it fits, else inside.
std::pair<int, int> FitSpan(int start, int length, int minimum, int areaStart, int areaLength)
{
    length = std::max(std::min(length, areaLength), minimum);
    start = std::max(std::min(start, areaStart + areaLength - length), areaStart);
    return {start, length};
}

}  // namespace

QRect FitIntoScreen(const QRect& wanted, const QSize& minimum, const QRect& available)
{
    const auto [x, width] =
        FitSpan(wanted.x(), wanted.width(), minimum.width(), available.x(), available.width());
    const auto [y, height] =
        FitSpan(wanted.y(), wanted.height(), minimum.height(), available.y(), available.height());
    return {x, y, width, height};
}

}  // namespace kb
