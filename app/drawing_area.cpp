#include "drawing_area.h"

#include <QPainter>
#include <utility>

#include "painter.h"

namespace kb {

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

DrawList DrawingArea::ShowList(DrawList list)
{
    std::swap(list_, list);
    frameCurrent_ = false;
    update();
    return list;
}

void DrawingArea::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (frame_.size() != pixels || frame_.devicePixelRatio() != ratio) {
        frame_ = QImage(pixels, QImage::Format_RGB32);
        frame_.setDevicePixelRatio(ratio);
        frame_.fill(Qt::white);
        frameCurrent_ = false;
    }
    if (!frameCurrent_) {
        // A pass starts by clearing its view; like a canvas, the frame keeps
        // whatever the pass leaves alone.
        if (list_.ops.empty()) {
            frame_.fill(Qt::white);
        } else {
            PaintDrawList(frame_, list_, fonts_);
        }
        frameCurrent_ = true;
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), frame_);
}

}  // namespace kb
