#include "drawing_area.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

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
    if (hasFocus()) {
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
}

void DrawingArea::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void DrawingArea::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace kb
