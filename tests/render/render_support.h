#pragma once

#include <functional>
#include <vector>

#include "../model/model_support.h"
#include "render/draw_list.h"
#include "render/pass_geometry.h"
#include "render/scene.h"

namespace kb::test {

// Text extents without a toolkit: 7 pixels per character unless told
// otherwise, the cell height of the font (13 points at 96 dpi give 17 pixels).
class FakeMetrics final : public TextMetrics {
public:
    int charWidthPx = 7;

    int TextWidth(const Font&, std::string_view text) override
    {
        return charWidthPx * static_cast<int>(text.size());
    }
    int TextHeight(const Font& font, std::string_view) override
    {
        return font.pointSize > 0 ? font.pointSize * 96 / 72 : font.height;
    }
};

// A model after the initialisation (as the empty feature list leaves the
// flags) and a recording surface, with a drawing area of 6350 pixels, so
// that one world unit is one pixel, and tall enough to hold the whole scene.
struct SceneRig {
    SimState s;
    FakeMetrics metrics;
    RecordingCanvas canvas{metrics};
    SceneInput input;

    SceneRig()
    {
        InitModel(s);
        s.ShowIndexLabels = true;
        s.ShowReadouts = false;
        input.viewWidthPx = 6350;
        input.viewHeightPx = 5200;
    }

    Readouts Pass()
    {
        canvas.BeginPass();
        return DrawScene(s, input, canvas);
    }

    const DrawList& List() const { return canvas.List(); }

    std::vector<const DrawOp*> Ops(DrawOpKind kind, const std::function<bool(const DrawOp&)>& keep = {}) const
    {
        std::vector<const DrawOp*> found;
        for (const DrawOp& op : List().ops) {
            if (op.kind == kind && (!keep || keep(op))) {
                found.push_back(&op);
            }
        }
        return found;
    }

    void Activate(int h, int k)
    {
        s.ActiveReflex = IndexOf(s, h, k);
        s.Omega = At(s, s.ActiveReflex).OmegaBragg;
    }
};

// Screen centre of an ellipse's box.
inline ScreenPoint CentreOf(const DrawOp& ellipse)
{
    return {(ellipse.c[0] + ellipse.c[2]) / 2, (ellipse.c[1] + ellipse.c[3]) / 2};
}

}  // namespace kb::test
