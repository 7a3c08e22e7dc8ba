#include "drawing_area.h"

#include <QPainter>

#include "paint/painter.h"

namespace kb {

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const DrawList DrawingArea::kNoPicture;

void DrawingArea::Show(const DrawList& list)
{
    list_ = &list;
    update();
}

void DrawingArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (list_->ops.empty()) {
        painter.fillRect(rect(), Qt::white);  // before the first pass
        return;
    }
    PaintDrawList(painter, *list_, cache_);
}

}  // namespace kb
