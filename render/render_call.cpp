#include "render/render_call.h"

#include <algorithm>

#include "detect/fill_limits.h"
#include "detect/mask_test.h"
#include "frame/params/params.h"
#include "render/pass_through.h"
#include "render/worlds/working_images.h"

namespace {

constexpr A_long MINIMUM_ANALYSED_ROWS = 200;

PF_Pixel16 opaque(PF_Pixel16 p) {
    p.alpha = FULL_SCALE;
    return p;
}

}  // namespace

bool isPremiere(const PF_InData *in_data) { return in_data->appl_id == PF_ApplId_PREMIERE; }

bool frame_ToAnalyse(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                     PF_LayerDef *output, RenderFrame &frame) {
    populate_BitDepthAndSizing(in_data, out_data, output, frame.eightBit, frame.sizeFactor);

    const PF_LayerDef &layer = params[PARAM_INPUT]->u.ld;
    const bool layerIs8Bit =
        isPremiere(in_data) ? frame.eightBit : (layer.world_flags & PF_WorldFlag_DEEP) == 0;
    frame.input = InputLayer16{&layer, layerIs8Bit};
    frame.hasMatte = layer.data && Is_ThereAMaskAtAll(frame.input);

    // The analysis covers the part of the frame the input and the output share.
    frame.width = layer.data ? std::min(output->width, layer.width) : 0;
    frame.height = layer.data ? std::min(output->height, layer.height) : 0;
    if (!output->data) return false;
    if (frame.height < MINIMUM_ANALYSED_ROWS || frame.height > FILL_LIMITS_MAX_ROWS ||
        frame.width < 1) {
        copy_InputThroughToOutput(frame.input, *output, frame.eightBit);
        return false;
    }
    return true;
}

PF_Pixel16 readColourParam(const PF_InData *in_data, AEGP_SuiteHandler &suites,
                           PF_ParamDef *param) {
    if (isPremiere(in_data)) return opaque(convert8PixelTo16NoMaxCheck(param->u.cd.value));
    PF_PixelFloat colour{};
    suites.ColorParamSuite1()->PF_GetFloatingPointColorFromColorDef(in_data->effect_ref, param,
                                                                    &colour);
    return opaque(convertPix32To16(colour));
}

void clearUncoveredOutput(const PF_LayerDef &output, bool eightBit, A_long width, A_long height) {
    for (A_long y = 0; y < output.height; ++y) {
        for (A_long x = (y < height ? width : 0); x < output.width; ++x) {
            if (eightBit) {
                *getPixel8(output, x, y) = PF_Pixel{0, 0, 0, 0};
            } else {
                *getPixel16(output, x, y) = PF_Pixel16{0, 0, 0, 0};
            }
        }
    }
}
