#include "drawing_area.h"

#include <QPainter>

#include "painter.h"

namespace kb {

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DrawingArea::ShowList(DrawList list)
{
    list_ = std::move(list);
    update();
}

void DrawingArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (list_.ops.empty()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    PaintDrawList(painter, list_, fonts_);
}

}  // namespace kb
