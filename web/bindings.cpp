#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <string>
#include <vector>

#include "draw_list_encoding.h"
#include "model/rotation.h"
#include "model/sim_state.h"
#include "render/scene.h"
#include "text_metrics.h"

namespace kb {
namespace {

class WebCore {
public:
    void Init()
    {
        InitConstantsAndTable(state_);
        ResetRotationForInit(state_);
    }

    emscripten::val Pass(int width, int height, const DisplayFlags& flags)
    {
        SceneInput input;
        input.viewWidthPx = width;
        input.viewHeightPx = height;
        input.flags = flags;
        canvas_.BeginPass();
        DrawScene(state_, input, canvas_);
        EncodeDrawList(canvas_.List(), encoded_);
        return emscripten::val(emscripten::typed_memory_view(encoded_.size(), encoded_.data()));
    }

    void NextReflex() { StepToNextReflex(state_); }

private:
    SimState state_;
    WebTextMetrics metrics_;
    RecordingCanvas canvas_{metrics_};
    std::vector<std::int32_t> encoded_;
};

}  // namespace
}  // namespace kb

EMSCRIPTEN_BINDINGS(kristallbeugung)
{
    using namespace emscripten;
    using kb::DisplayFlags;
    value_object<DisplayFlags>("DisplayFlags")
        .field("Netzebenen", &DisplayFlags::Netzebenen)
        .field("DiffractogramShown", &DisplayFlags::DiffractogramShown)
        .field("ReciprocalVector", &DisplayFlags::ReciprocalVector)
        .field("EwaldCircle", &DisplayFlags::EwaldCircle)
        .field("LatticePoints", &DisplayFlags::LatticePoints)
        .field("EwaldMarks", &DisplayFlags::EwaldMarks)
        .field("Diffracted", &DisplayFlags::Diffracted)
        .field("DirectAxes", &DisplayFlags::DirectAxes)
        .field("CrystalVector", &DisplayFlags::CrystalVector)
        .field("ReciprocalAxes", &DisplayFlags::ReciprocalAxes)
        .field("ThetaArcs", &DisplayFlags::ThetaArcs)
        .field("TwoThetaArc", &DisplayFlags::TwoThetaArc)
        .field("OmegaArc", &DisplayFlags::OmegaArc)
        .field("PrimaryBeam", &DisplayFlags::PrimaryBeam);
    class_<kb::WebCore>("WebCore")
        .constructor<>()
        .function("Init", &kb::WebCore::Init)
        .function("Pass", &kb::WebCore::Pass)
        .function("NextReflex", &kb::WebCore::NextReflex);
}
