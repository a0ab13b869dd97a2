// The colour parameter, utility and pixel format suites.
#include "host/host_state.h"

namespace {

PF_Err floatColourFromColourDef(PF_ProgPtr effectRef, const PF_ParamDef *colourDef,
                                PF_PixelFloat *floatColour) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr || colourDef == nullptr || floatColour == nullptr)
        return PF_Err_BAD_CALLBACK_PARAM;
    if (colourDef->param_type != PF_Param_COLOR) return PF_Err_BAD_CALLBACK_PARAM;
    const PF_Pixel &value = colourDef->u.cd.value;
    floatColour->alpha = value.alpha / 255.0f;
    floatColour->red = value.red / 255.0f;
    floatColour->green = value.green / 255.0f;
    floatColour->blue = value.blue / 255.0f;
    return PF_Err_NONE;
}

PF_Err wantCheckedOutFramesInRenderFormat(PF_ProgPtr effectRef) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    ++host->matchingCheckoutRequests;
    return PF_Err_NONE;
}

PF_Err addSupportedPixelFormat(PF_ProgPtr effectRef, PrPixelFormat format) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    host->supportedFormats.push_back(format);
    return PF_Err_NONE;
}

PF_Err clearSupportedPixelFormats(PF_ProgPtr effectRef) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    host->supportedFormats.clear();
    return PF_Err_NONE;
}

// Takes no effect_ref: the format follows from the world's own depth.
PF_Err pixelFormatOfWorld(PF_EffectWorld *world, PrPixelFormat *format) {
    if (world == nullptr || format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    *format = (world->world_flags & PF_WorldFlag_DEEP) != 0 ? PrPixelFormat_ARGB_4444_16u
                                                            : PrPixelFormat_ARGB_4444_8u;
    return PF_Err_NONE;
}

const PF_ColorParamSuite1 kColorParamSuite = {floatColourFromColourDef};

PF_UtilitySuite4 makeUtilitySuite() {
    PF_UtilitySuite4 suite{};
    suite.EffectWantsCheckedOutFramesToMatchRenderPixelFormat = wantCheckedOutFramesInRenderFormat;
    return suite;
}

PF_PixelFormatSuite1 makePixelFormatSuite() {
    PF_PixelFormatSuite1 suite{};
    suite.AddSupportedPixelFormat = addSupportedPixelFormat;
    suite.ClearSupportedPixelFormats = clearSupportedPixelFormats;
    suite.GetPixelFormat = pixelFormatOfWorld;
    return suite;
}

const PF_UtilitySuite4 kUtilitySuite = makeUtilitySuite();
const PF_PixelFormatSuite1 kPixelFormatSuite = makePixelFormatSuite();

}  // namespace

const PF_ColorParamSuite1 &colorParamSuite() { return kColorParamSuite; }
const PF_UtilitySuite4 &utilitySuite() { return kUtilitySuite; }
const PF_PixelFormatSuite1 &pixelFormatSuite() { return kPixelFormatSuite; }
