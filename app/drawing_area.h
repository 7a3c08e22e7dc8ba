#pragma once

#include <QWidget>

#include "paint/stamps.h"
#include "render/draw_list.h"

namespace kb {

// The white area left of the panel. Shows the latest scene pass; a repaint
// replays it and changes nothing in the model. It reacts to no mouse action
// itself; the readouts on it take clicks and the focus, and the window moves
// the measuring cursor from its mouse and keys. Focused, it shows a frame.
class DrawingArea final : public QWidget {
    Q_OBJECT

public:
    explicit DrawingArea(QWidget* parent);

    // Shows `list`, which its owner keeps unchanged until the next Show.
    void Show(const DrawList& list);
    const DrawList& List() const { return *list_; }
    PaintCache& Cache() { return cache_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    static const DrawList kNoPicture;
    const DrawList* list_ = &kNoPicture;
    PaintCache cache_;
};

}  // namespace kb
