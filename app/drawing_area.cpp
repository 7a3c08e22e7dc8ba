#include "drawing_area.h"

#include <QPainter>
#include <utility>

#include "paint/painter.h"

namespace kb {

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

DrawList DrawingArea::ShowList(DrawList list)
{
    std::swap(list_, list);
    update();
    return list;
}

void DrawingArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (list_.ops.empty()) {
        painter.fillRect(rect(), Qt::white);  // before the first pass
        return;
    }
    PaintDrawList(painter, list_, cache_);
}

}  // namespace kb
