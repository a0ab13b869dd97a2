#include "reference/render/render.h"

#include "detect/fill_limits.h"
#include "frame/params/params.h"
#include "frame/suites.h"
#include "reference/detect/classify_holes.h"
#include "reference/detect/edge_gaps.h"
#include "reference/detect/hole_mask.h"
#include "reference/fill/edge_multiplier.h"
#include "reference/fill/feather.h"
#include "reference/fill/grow_shrink.h"
#include "reference/render/compose_view.h"
#include "reference/render/fill_chain.h"
#include "reference/render/recode_fill_area.h"
#include "reference/render/worlds/working_images.h"
#include "reference/render/worlds/world_ops.h"
#include "render/render_call.h"
#include "render/render_settings.h"
#include "render/worlds/memory_container.h"
#include "render/worlds/working_images.h"
#include "render/worlds/world_ops.h"

namespace reference {
namespace {

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
};

// The stages from EdgeGaps to FillChain, each in its plain form.
void runStages(const PF_InData *in_data, const RenderSettings &s, RenderWorlds &w,
               const InputLayer16 &input, HolvaneMemoryContainer &c, A_long width, A_long height) {
    FillLimitsArray &limits = c.fillLimits;
    if (stageRuns(s, Stage::EdgeGaps)) {
        reference::bridge_EdgeGapsInRedMask(w.redMask, width, height, s.gapDistance, limits);
    }
    if (stageRuns(s, Stage::Classify)) {
        reference::floodFillHolesRemoveChaffLogInFillTagList(*w.frameArray[FRAME_ARRAY_CENTRE],
                                                             w.redMask, width, height, c.fillTags,
                                                             s.maxAcross, c.seedStack, limits);
    }
    if (stageRuns(s, Stage::ClearRejected))
        reference::clear_RejectedRegionsInRedMask(w.redMask, limits);
    if (stageRuns(s, Stage::Normalise)) reference::normalise_FillAreaInRedMask(w.redMask, limits);
    if (stageRuns(s, Stage::GrowShrink)) {
        growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.growAmount, limits);
        reference::growShrink_JustBlueInRedMaskBlocky(w.redMask, width, height, height - 1,
                                                      s.growAmount, limits);
    }
    if (stageRuns(s, Stage::EdgeMultiplier)) {
        reference::make_EdgeMultiplyerMaskOnRedRedMask(in_data, w.redMask, input, width, height,
                                                       limits);
    }
    if (stageRuns(s, Stage::Feather)) {
        reference::blur_FromBlueAddOrSubtract(in_data, w.redMask, width, height, height - 1,
                                              static_cast<A_long>(s.featherRadius), false, limits);
    }
    if (stageRuns(s, Stage::FillChain)) {
        const FillChainWorlds chainWorlds{w.currentFrame, w.frameArray, input, &w.patch,
                                          &w.redMask};
        reference::run_FillChain(s.fillChain, chainWorlds, s.blurSize, s.quarterLevel, s.setColour,
                                 limits, in_data->utils->ansi);
    }
}

// The worlds, the settings, the stages and the view (everything between
// reading the frame and disposing of the worlds). Returns the first host
// error; the caller converts and disposes.
PF_Err prepareAndRun(PF_InData *in_data, PF_ParamDef *params[], PF_LayerDef *output,
                     const InputLayer16 &input, bool hasMatte, bool eightBit, A_long sizeFactor,
                     A_long width, A_long height, HolvaneMemoryContainer &c, RenderWorlds &w,
                     AEGP_SuiteHandler &suites) {
    DisposalList &list = c.disposalList;
    PF_Err err = reference::populate_OrConvertWrldPreserveOriginalFrameWithMask(
        w.workingInput, *input.layer, in_data, list, width, sizeFactor, height, input.eightBit,
        !hasMatte);
    if (!err) {
        err = populate_FrameArrayFramesNoMatterWhat(w.frameStorage, w.frameArray, w.workingInput,
                                                    in_data, list, width, sizeFactor, height,
                                                    eightBit, 3, 3);
    }
    if (!err) {
        err = setup_OutputPointer(w.output, w.temporary, output, in_data, list, width, sizeFactor,
                                  height, eightBit);
    }
    if (err) return err;

    RenderSettings s = derive_RenderSettings(in_data, params, height);
    s.setColour = readColourParam(in_data, suites, params[PARAM_SET_COLOR]);
    s.decontamColour = readColourParam(in_data, suites, params[PARAM_DECONTAM_COLOR]);

    err = reference::create_AnalysisWorld(w.redMask, in_data, list, width, sizeFactor, height);
    if (!err)
        err = reference::create_AnalysisWorld(w.patch, in_data, list, width, sizeFactor, height);
    if (err) return err;

    PF_LayerDef *detectionSource =
        isPremiere(in_data) ? w.frameArray[FRAME_ARRAY_CENTRE] : &w.workingInput;
    w.currentFrame = w.frameArray[FRAME_ARRAY_CENTRE];
    w.frameArray[FRAME_ARRAY_CENTRE] = detectionSource;

    FillLimitsArray &limits = c.fillLimits;
    populateAndInitialise_FillLimitsFromIncomingAlpha(InputLayer16{detectionSource, false}, limits,
                                                      s.alphaLevel);
    growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.limitsMargin, limits);
    clearWorldToTransparentBlack(w.redMask, width, height);
    reference::copyAlphaWorldToRedInRedMask(w.redMask, *detectionSource, s.alphaLevel,
                                            MINIMUM_ALPHA, limits);

    runStages(in_data, s, w, input, c, width, height);

    const ComposeSources sources{input, &w.patch, &w.redMask, &limits, s.decontamColour};
    reference::compose_OutputView(*w.output, sources, s.viewMode, width, height);
    return PF_Err_NONE;
}

}  // namespace

PF_Err Render(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
              PF_LayerDef *output) {
    AEGP_SuiteHandler suites(in_data->pica_basicP);
    HolvaneMemoryContainerPtr container = allocate_HolvaneMemoryContainer();
    if (!container) return PF_Err_OUT_OF_MEMORY;
    HolvaneMemoryContainer &c = *container;
    clearDisposalList(c.disposalList);

    RenderFrame f;
    if (!frame_ToAnalyse(in_data, out_data, params, output, f)) return PF_Err_NONE;

    RenderWorlds worlds;
    DisposeOnExit disposeOnExit{in_data, c.disposalList};
    PF_Err err = prepareAndRun(in_data, params, output, f.input, f.hasMatte, f.eightBit,
                               f.sizeFactor, f.width, f.height, c, worlds, suites);
    if (!err) {
        if (f.eightBit) reference::copy16To8BitWorld(worlds.temporary, *output);
        clearUncoveredOutput(*output, f.eightBit, f.width, f.height);
    }
    const PF_Err disposeErr = Dispose_OfAllWorldsOnDisposalList(in_data, c.disposalList);
    return err ? err : disposeErr;
}

}  // namespace reference
