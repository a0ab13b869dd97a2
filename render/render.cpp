#include "render/render.h"

#include <algorithm>
#include <memory>

#include "detect/classify_holes.h"
#include "detect/edge_gaps.h"
#include "detect/fill_limits.h"
#include "detect/hole_mask.h"
#include "detect/mask_test.h"
#include "fill/edge_multiplier.h"
#include "fill/feather.h"
#include "fill/grow_shrink.h"
#include "frame/params/params.h"
#include "frame/suites.h"
#include "render/compose_view.h"
#include "render/fill_chain.h"
#include "render/pass_through.h"
#include "render/recode_fill_area.h"
#include "render/render_settings.h"
#include "render/worlds/memory_container.h"
#include "render/worlds/working_images.h"
#include "render/worlds/world_ops.h"

namespace {

constexpr A_long MINIMUM_ANALYSED_ROWS = 200;

bool isPremiere(const PF_InData *in_data) { return in_data->appl_id == PF_ApplId_PREMIERE; }

// Disposes whatever is still listed when the call unwinds early (an error
// code or an exception); the normal path disposes explicitly and keeps the
// result.
struct DisposeOnExit {
    const PF_InData *in_data;
    DisposalList &list;
    ~DisposeOnExit() { Dispose_OfAllWorldsOnDisposalList(in_data, list); }
};

PF_Pixel16 opaque(PF_Pixel16 p) {
    p.alpha = 32768;
    return p;
}

// Colours come through the host's colour suite as floats; Premiere Pro's
// stored 8-bit colour is used there instead.
PF_Pixel16 readColourParam(const PF_InData *in_data, AEGP_SuiteHandler &suites,
                           PF_ParamDef *param) {
    if (isPremiere(in_data)) return opaque(convert8PixelTo16NoMaxCheck(param->u.cd.value));
    PF_PixelFloat colour{};
    suites.ColorParamSuite1()->PF_GetFloatingPointColorFromColorDef(in_data->effect_ref, param,
                                                                     &colour);
    return opaque(convertPix32To16(colour));
}

// Every world one render call works with.
struct RenderWorlds {
    PF_LayerDef workingInput{};
    PF_LayerDef frameStorage[FRAME_ARRAY_SLOTS]{};
    PF_LayerDef *frameArray[FRAME_ARRAY_SLOTS]{};
    PF_LayerDef temporary{};
    PF_LayerDef *output = nullptr;
    PF_LayerDef redMask{};
    PF_LayerDef patch{};
    const PF_LayerDef *currentFrame = nullptr;
    // Per frame slot: its world holds 8-bit pixels as they came.
    const bool *packedEightBit = nullptr;
};

// The 16-bit image whose alpha drives the detection, and the world the
// frame array shows in slot 0 from step 13 on.
struct DetectionSource {
    InputLayer16 alpha;
    PF_LayerDef *world;
};

void runStages(const PF_InData *in_data, const RenderSettings &s, RenderWorlds &w,
               const InputLayer16 &input, const DetectionSource &source,
               HolvaneMemoryContainer &c, A_long width, A_long height) {
    FillLimitsArray &limits = c.fillLimits;
    if (s.stageLimit >= 2 && s.gapDistance >= 1) {
        bridge_EdgeGapsInRedMask(w.redMask, width, height, s.gapDistance, limits);
    }
    if (s.stageLimit >= 3) {
        floodFillHolesRemoveChaffLogInFillTagList(source.alpha, w.redMask, width, height,
                                                  c.fillTags, s.maxAcross, c.seedStack, limits);
    }
    // Stages 4 and 5 only ever run together; one pass does both.
    if (s.stageLimit >= 5) {
        recode_FillAreaInRedMask(w.redMask, limits);
    } else if (s.stageLimit >= 4) {
        clear_RejectedRegionsInRedMask(w.redMask, limits);
    }
    if (s.stageLimit >= 6) {
        growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.growAmount, limits);
        growShrink_JustBlueInRedMaskBlocky(w.redMask, width, height, height - 1, s.growAmount,
                                           limits);
    }
    if (s.stageLimit >= 7 && s.featherRadius > 0.0f) {
        make_EdgeMultiplyerMaskOnRedRedMask(in_data, w.redMask, input, width, height, limits);
    }
    if (s.stageLimit >= 8 && s.featherRadius > 0.0f) {
        blur_FromBlueAddOrSubtract(in_data, w.redMask, width, height, height - 1,
                                   static_cast<A_long>(s.featherRadius), false, limits);
    }
    if (s.stageLimit >= 9) {
        const FillChainWorlds chainWorlds{w.currentFrame, w.frameArray, input,
                                          &w.patch,       &w.redMask,   w.packedEightBit};
        run_FillChain(s.fillChain, chainWorlds, s.blurSize, s.quarterLevel, s.setColour, limits,
                      in_data->utils->ansi);
    }
}

// The frames stage 9 reads: the current one for the existing colour, one or
// three on either side for the other frames.
void wantChainFrames(const RenderSettings &s, FrameCapturePlan &plan) {
    if (s.stageLimit < 9) return;
    const A_long chain = s.fillChain;
    const bool existing = chain >= 2 && chain <= 6;
    const A_long reach = chain == 3 || chain == 7 ? 1 : chain == 4 || chain == 5 || chain == 8 || chain == 9 ? 3 : 0;
    if (existing) plan.wanted[FRAME_ARRAY_CENTRE] = true;
    for (A_long k = 1; k <= reach; ++k)
        plan.wanted[FRAME_ARRAY_CENTRE - k] = plan.wanted[FRAME_ARRAY_CENTRE + k] = true;
}

// The limits from the detection source, widened by the limits margin (steps
// 14 of the render).
void buildLimits(const InputLayer16 &source, const RenderSettings &s, A_long width,
                 A_long height, FillLimitsArray &limits) {
    populateAndInitialise_FillLimitsFromIncomingAlpha(source, limits, s.alphaLevel);
    growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.limitsMargin, limits);
}

// The input layer seen as the working copy is: cut to the analysed extent.
PF_LayerDef analysedPart(const PF_LayerDef &layer, A_long width, A_long height) {
    PF_LayerDef part = layer;
    part.width = width;
    part.height = height;
    return part;
}

// Steps 5 to 17: the worlds, the settings, the stages and the view. Returns
// the first host error; the caller disposes. The host sees the calls of the
// straightforward driver (render_reference.cpp) in the same order; what
// changes is what is copied into the worlds. Under After Effects, with a
// matte, the working copy of the input is the input itself, so the limits
// are known before the neighbouring frames are checked out: only the frames
// the fill chain reads are copied, and only over the region it reads.
PF_Err prepareAndRun(PF_InData *in_data, PF_ParamDef *params[], PF_LayerDef *output,
                     const InputLayer16 &input, bool hasMatte, bool eightBit, A_long sizeFactor,
                     A_long width, A_long height, HolvaneMemoryContainer &c, RenderWorlds &w,
                     AEGP_SuiteHandler &suites) {
    DisposalList &list = c.disposalList;
    FillLimitsArray &limits = c.fillLimits;
    RenderSettings s = derive_RenderSettings(in_data, params, height);
    const bool premiere = isPremiere(in_data);
    // The working copy is the detection source only under After Effects.
    const bool inputIsSource = !premiere && hasMatte;
    const PF_LayerDef inputPart = analysedPart(*input.layer, width, height);

    PF_Err err = create_ListedWorld16(w.workingInput, in_data, list, width, sizeFactor, height);
    if (err) return err;
    bool workingFilled = false;
    if (!premiere && !hasMatte) {
        // Alpha 32760 everywhere: the copy itself is the detection source.
        fill_WorkingInputWorld(w.workingInput, *input.layer, input.eightBit, true, width, height,
                               nullptr);
        workingFilled = true;
    }

    FrameCapturePlan plan;
    wantChainFrames(s, plan);
    std::unique_ptr<FillLimitsArray> chainRegion;
    if (premiere) {
        // The current frame is the detection source: copied whole.
        plan.wanted[FRAME_ARRAY_CENTRE] = true;
    } else {
        const InputLayer16 source = inputIsSource ? InputLayer16{&inputPart, input.eightBit}
                                                  : InputLayer16{&w.workingInput, false};
        buildLimits(source, s, width, height, limits);
        // Stage 9 reads within the limits as stage 6 leaves them.
        chainRegion = std::make_unique<FillLimitsArray>(limits);
        if (s.stageLimit >= 6)
            growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.growAmount,
                                                             *chainRegion);
        plan.region = chainRegion.get();
    }
    err = populate_FrameArrayFramesNoMatterWhat(w.frameStorage, w.frameArray, w.workingInput,
                                                in_data, list, width, sizeFactor, height,
                                                eightBit, 3, 3, &plan);
    if (!err) {
        err = setup_OutputPointer(w.output, w.temporary, output, in_data, list, width, sizeFactor,
                                  height, eightBit);
    }
    if (err) return err;
    if (plan.fallbackUsed && !workingFilled)
        fill_WorkingInputWorld(w.workingInput, *input.layer, input.eightBit, !hasMatte, width,
                               height, plan.region);

    s.setColour = readColourParam(in_data, suites, params[PARAM_SET_COLOR]);
    s.decontamColour = readColourParam(in_data, suites, params[PARAM_DECONTAM_COLOR]);

    // Every pixel of these is written before it is read: the mask by the hole
    // mask below, the patch world by stage 9 at each pixel anything reads.
    err = create_ListedWorld16(w.redMask, in_data, list, width, sizeFactor, height);
    if (!err) err = create_ListedWorld16(w.patch, in_data, list, width, sizeFactor, height);
    if (err) return err;

    DetectionSource source{InputLayer16{&w.workingInput, false}, &w.workingInput};
    if (premiere) {
        source = DetectionSource{InputLayer16{w.frameArray[FRAME_ARRAY_CENTRE], false},
                                 w.frameArray[FRAME_ARRAY_CENTRE]};
        buildLimits(source.alpha, s, width, height, limits);
    } else if (inputIsSource) {
        source.alpha = InputLayer16{&inputPart, input.eightBit};
    }
    w.currentFrame = w.frameArray[FRAME_ARRAY_CENTRE];
    w.frameArray[FRAME_ARRAY_CENTRE] = source.world;
    w.packedEightBit = plan.packedEightBit;

    clearAndCopyAlphaToRedInRedMask(w.redMask, source.alpha, s.alphaLevel, MINIMUM_ALPHA, limits);
    runStages(in_data, s, w, input, source, c, width, height);

    const ComposeSources sources{input, &w.patch, &w.redMask, &limits, s.decontamColour};
    // An 8-bit output is written straight away, converted pixel by pixel as
    // the temporary world would have been.
    if (eightBit)
        compose_OutputViewInto8Bit(*output, sources, s.viewMode, width, height);
    else
        compose_OutputView(*w.output, sources, s.viewMode, width, height);
    return PF_Err_NONE;
}

// Output pixels the input layer does not cover are not analysed.
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

}  // namespace

PF_Err Render(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
              PF_LayerDef *output) {
    AEGP_SuiteHandler suites(in_data->pica_basicP);
    HolvaneMemoryContainerPtr container = allocate_HolvaneMemoryContainer();
    if (!container) return PF_Err_OUT_OF_MEMORY;
    HolvaneMemoryContainer &c = *container;
    clearDisposalList(c.disposalList);

    bool eightBit = false;
    A_long sizeFactor = 1;
    populate_BitDepthAndSizing(in_data, out_data, output, eightBit, sizeFactor);

    const PF_LayerDef &layer = params[PARAM_INPUT]->u.ld;
    const bool layerIs8Bit =
        isPremiere(in_data) ? eightBit : (layer.world_flags & PF_WorldFlag_DEEP) == 0;
    const InputLayer16 input{&layer, layerIs8Bit};
    const bool hasMatte = layer.data && Is_ThereAMaskAtAll(input);

    // The analysis covers the part of the frame the input and the output share.
    const A_long width = layer.data ? std::min(output->width, layer.width) : 0;
    const A_long height = layer.data ? std::min(output->height, layer.height) : 0;
    if (!output->data) return PF_Err_NONE;
    if (height < MINIMUM_ANALYSED_ROWS || height > FILL_LIMITS_MAX_ROWS || width < 1) {
        copy_InputThroughToOutput(input, *output, eightBit);
        return PF_Err_NONE;
    }

    RenderWorlds worlds;
    DisposeOnExit disposeOnExit{in_data, c.disposalList};
    PF_Err err = prepareAndRun(in_data, params, output, input, hasMatte, eightBit, sizeFactor,
                               width, height, c, worlds, suites);
    if (!err) clearUncoveredOutput(*output, eightBit, width, height);
    const PF_Err disposeErr = Dispose_OfAllWorldsOnDisposalList(in_data, c.disposalList);
    return err ? err : disposeErr;
}
