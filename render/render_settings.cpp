#include "render/render_settings.h"

#include <algorithm>
#include <cmath>

#include "frame/params/params.h"
#include "render/compose_view.h"
#include "render/fill_chain.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

// A host's controls never hand over a value outside a control's valid range;
// values from elsewhere are held to it so that no stage runs away.
A_long sliderValue(PF_ParamDef *params[], ParamIndex index) {
    const ParamSpec &control = paramSpec(index);
    return std::clamp(params[index]->u.sd.value, control.validMin, control.validMax);
}

A_long popupValue(PF_ParamDef *params[], ParamIndex index) { return params[index]->u.pd.value; }

}  // namespace

A_long downsampleFactor(const PF_InData *in_data) {
    const PF_RationalScale &ds = in_data->downsample_y;
    if (ds.num == 1 && (ds.den == 2 || ds.den == 3 || ds.den == 4))
        return static_cast<A_long>(ds.den);
    return 1;
}

RenderSettings derive_RenderSettings(const PF_InData *in_data, PF_ParamDef *params[],
                                     A_long outputHeight) {
    RenderSettings s{};
    s.downsample = downsampleFactor(in_data);
    const A_long ds = s.downsample;

    s.viewMode = popupValue(params, PARAM_PROCESS);
    s.stageLimit = s.viewMode == VIEW_SHOW_INFO ? Stage::Classify : Stage::Compose;
    s.gapDistance = static_cast<A_u_short>(sliderValue(params, PARAM_CLOSE_EDGE_GAPS));
    s.maxAcross = sliderValue(params, PARAM_HOLE_SIZE) / ds;

    const float level =
        static_cast<float>(sliderValue(params, PARAM_BELOW_ALPHA)) * FULL_SCALE / 100.0f;
    s.alphaLevel = static_cast<A_u_short>(std::round(level));
    s.quarterLevel = static_cast<A_u_short>(s.alphaLevel / 4);

    s.featherRadius = std::max(
        0.0f, static_cast<float>(sliderValue(params, PARAM_FEATHER_IN)) / static_cast<float>(ds));
    s.growAmount = sliderValue(params, PARAM_SHRINK_GROW) / ds;

    s.fillChain = fillChainNumber(popupValue(params, PARAM_FILL_WITH));
    s.blurSize = std::min<A_long>(100, ((outputHeight - 1) / 20) / ds);
    // The adjacent blur samples up to the blur size around every hole.
    s.limitsMargin =
        std::max<A_long>(0, s.growAmount) + 4 + (fillChainOf(s.fillChain).blurs ? s.blurSize : 0);
    s.threads = renderThreadCount();
    return s;
}

bool stageRuns(const RenderSettings &s, Stage stage) {
    switch (stage) {
        case Stage::WorkingImages:
        case Stage::HoleMask:
        case Stage::Compose:
            return true;
        case Stage::EdgeGaps:
            return s.stageLimit >= Stage::EdgeGaps && s.gapDistance >= 1;
        case Stage::EdgeMultiplier:
        case Stage::Feather:
            return s.stageLimit >= stage && s.featherRadius > 0.0f;
        default:
            return s.stageLimit >= stage;
    }
}

bool writesMaskAtFillPixelsOnly(const RenderSettings &s) {
    return s.stageLimit == Stage::Compose && s.growAmount == 0 &&
           readsMaskAtFillPixelsOnly(s.viewMode);
}
