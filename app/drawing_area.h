#pragma once

#include <QImage>
#include <QWidget>

#include "fonts.h"
#include "render/draw_list.h"

namespace kb {

// The white area left of the panel. Shows the latest scene pass; a repaint
// replays it and changes nothing in the model. No reaction to the mouse.
// Each pass is painted once into a frame of the area's device pixels, and
// every repaint until the next pass shows that frame.
class DrawingArea final : public QWidget {
    Q_OBJECT

public:
    explicit DrawingArea(QWidget* parent);

    // Shows `list` and returns the list shown before, for reuse.
    DrawList ShowList(DrawList list);
    const DrawList& List() const { return list_; }
    FontCache& Fonts() { return fonts_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DrawList list_;
    FontCache fonts_;
    QImage frame_;
    bool frameCurrent_ = false;  // whether frame_ shows list_
};

}  // namespace kb
