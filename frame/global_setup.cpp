#include "frame/effect_info.h"
#include "frame/handlers.h"
#include "frame/suites.h"

namespace {

// Premiere Pro renders 8-bit ARGB unless told otherwise, and hands out
// checked-out frames in its own format unless asked to match the render.
// The effect works on 16-bit ARGB only there. The suite calls' results are
// not inspected: a host that ignores them renders 8-bit, which also works.
void offerPremierePixelFormat(PF_InData *in_data, PF_OutData *out_data) {
    AEFX_SuiteScoper<PF_UtilitySuite4> utility(in_data, kPFUtilitySuite, kPFUtilitySuiteVersion4,
                                               out_data);
    utility->EffectWantsCheckedOutFramesToMatchRenderPixelFormat(in_data->effect_ref);

    AEFX_SuiteScoper<PF_PixelFormatSuite1> formats(in_data, kPFPixelFormatSuite,
                                                   kPFPixelFormatSuiteVersion1, out_data);
    formats->ClearSupportedPixelFormats(in_data->effect_ref);
    formats->AddSupportedPixelFormat(in_data->effect_ref, PrPixelFormat_ARGB_4444_16u);
}

}  // namespace

PF_Err GlobalSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef * /*params*/[],
                   PF_LayerDef * /*output*/) {
    // Set before the Premiere Pro steps so they hold even when a suite is
    // missing there.
    out_data->my_version = EFFECT_VERSION;
    out_data->out_flags = EFFECT_OUT_FLAGS;
    out_data->out_flags2 = EFFECT_OUT_FLAGS2;

    if (in_data->appl_id == PF_ApplId_PREMIERE) offerPremierePixelFormat(in_data, out_data);
    return PF_Err_NONE;
}
