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
#include "fill/fill_region.h"
#include "fill/grow_shrink.h"
#include "frame/params/params.h"
#include "frame/suites.h"
#include "render/compose_view.h"
#include "render/fill_chain.h"
#include "render/pass_through.h"
#include "render/recode_fill_area.h"
#include "render/render_call.h"
#include "render/render_settings.h"
#include "render/row_workers.h"
#include "render/worlds/memory_container.h"
#include "render/worlds/working_images.h"
#include "render/worlds/world_ops.h"

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
    // The mask the stages work on: the red mask world, or (see
    // analyseBeforeFetching) the working copy's.
    const PF_LayerDef *mask = nullptr;
    // How FillChain reads each slot's frame and the current frame.
    InputLayer16 frameViews[FRAME_ARRAY_SLOTS]{};
    InputLayer16 currentFrameView{};
    // The mask's blue as bits, from the writing of the mask world on.
    BlueBits blue;
};

// The stages from HoleMask to Feather on the mask. source: the detection
// source, whose alpha HoleMask and Classify read. HoleMask to Normalise work
// on the analysis mask's codes, which live in the mask world's memory until
// they are written into it.
void runAnalysis(const PF_InData *in_data, const RenderSettings &s, const PF_LayerDef &mask,
                 const InputLayer16 &input, const InputLayer16 &source, HolvaneMemoryContainer &c,
                 BlueBits &blue, A_long width, A_long height) {
    FillLimitsArray &limits = c.fillLimits;
    const AnalysisMask codes = analysisMaskIn(mask, width, height);
    copyAlphaToBandCodes(codes, source, s.alphaLevel, MINIMUM_ALPHA, limits, s.threads);
    if (stageRuns(s, Stage::EdgeGaps)) {
        bridge_EdgeGapsInRedMask(codes, width, height, s.gapDistance, limits, s.threads);
    }
    if (stageRuns(s, Stage::Classify)) {
        floodFillHolesRemoveChaffLogInFillTagList(source, codes, width, height, c.fillTags,
                                                  s.maxAcross, c.seedStack, limits, s.threads);
    }
    // The stages after it ask of blue only whether it is above 0 or full,
    // which the world's writing answers as bits: they need not read its
    // pixels to find the fill.
    write_RedMaskWorld(mask, codes, limits, stageRuns(s, Stage::ClearRejected),
                       stageRuns(s, Stage::Normalise), s.threads, &blue,
                       writesMaskAtFillPixelsOnly(s));
    if (stageRuns(s, Stage::GrowShrink)) {
        growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.growAmount, limits);
        growShrink_JustBlueInRedMaskBlocky(mask, width, height, height - 1, s.growAmount, limits);
        if (s.growAmount != 0) read_BlueBitsFromWorld(blue, mask, width, height, s.threads);
    }
    if (stageRuns(s, Stage::EdgeMultiplier)) {
        make_EdgeMultiplyerMaskOnRedRedMask(in_data, mask, input, width, height, limits, s.threads,
                                            &blue);
    }
    if (stageRuns(s, Stage::Feather)) {
        blur_FromBlueAddOrSubtract(in_data, mask, width, height, height - 1,
                                   static_cast<A_long>(s.featherRadius), limits, s.threads, &blue);
    }
}

// FillChain and Compose, into the host's output (8-bit: written straight
// away, converted pixel by pixel as the temporary world would have been).
void colourAndCompose(const PF_InData *in_data, const RenderSettings &s, RenderWorlds &w,
                      const InputLayer16 &input, HolvaneMemoryContainer &c, bool eightBit,
                      PF_LayerDef *output, A_long width, A_long height) {
    const FillLimitsArray &limits = c.fillLimits;
    const ComposeSources sources{input, &w.patch, w.mask, &limits, s.decontamColour, &w.blue};
    const PF_LayerDef &target = eightBit ? *output : *w.output;
    auto compose = [&](A_long firstRow, A_long endRow) {
        compose_OutputRows(target, eightBit, sources, s.viewMode, width, firstRow, endRow);
    };
    if (!stageRuns(s, Stage::FillChain)) {
        forEachRowBand(s.threads, height, compose);
        return;
    }
    // A row of the region is composed as soon as it is coloured, while its
    // mask row is still in the cache, from the colours the chain hands over
    // (the patch world is not written); the rows around the region after.
    FillChainWorlds chainWorlds{w.currentFrame, w.frameArray, input, &w.patch, w.mask};
    chainWorlds.frameViews = w.frameViews;
    chainWorlds.currentFrameView = w.currentFrameView;
    chainWorlds.fillPixels = &w.blue;
    const FillBounds bounds = worldBounds(*w.mask);
    const A_long first = std::clamp<A_long>(regionFirstRow(limits, bounds), 0, height);
    const A_long end = std::clamp<A_long>(regionLastRow(limits, bounds) + 1, first, height);
    run_FillChain(s.fillChain, chainWorlds, s.blurSize, s.quarterLevel, s.setColour, limits,
                  in_data->utils->ansi, s.threads, [&](A_long y, const PF_Pixel16 *colours) {
                      if (y >= first && y < end)
                          compose_OutputRowWithPatchRow(target, eightBit, sources, s.viewMode,
                                                        width, y, colours);
                  });
    forEachRowBand(s.threads, first, compose);
    forEachRowBand(s.threads, height - end, [&](A_long a, A_long b) { compose(end + a, end + b); });
}

// The frames FillChain reads: the current one for the existing colour, one
// or three on either side for the other frames.
void wantChainFrames(const RenderSettings &s, FrameCapturePlan &plan) {
    if (!stageRuns(s, Stage::FillChain)) return;
    const FillChain &chain = fillChainOf(s.fillChain);
    if (chain.readsCurrentFrame) plan.wanted[FRAME_ARRAY_CENTRE] = true;
    for (A_long k = 1; k <= chain.frameReach; ++k)
        plan.wanted[FRAME_ARRAY_CENTRE - k] = plan.wanted[FRAME_ARRAY_CENTRE + k] = true;
}

// How FillChain reads each frame: a captured world as its copy was made; a
// slot that shows the working copy, through `working`; one checked out as
// the input itself, from the input.
void setFrameViews(RenderWorlds &w, const FrameCapturePlan &plan, const InputLayer16 &working) {
    auto view = [&](const PF_LayerDef *frame, A_long slot) {
        if (frame == &w.workingInput) return working;
        if (frame == &w.frameStorage[slot] && plan.sharesInput[slot]) return plan.input;
        return InputLayer16{frame, plan.packedEightBit[slot]};
    };
    for (A_long slot = 0; slot < FRAME_ARRAY_SLOTS; ++slot)
        w.frameViews[slot] = view(w.frameArray[slot], slot);
    w.currentFrameView = view(w.currentFrame, FRAME_ARRAY_CENTRE);
}

// The processing region of the hole mask: the limits from the detection
// source, widened by the limits margin.
void buildLimits(const InputLayer16 &source, const RenderSettings &s, A_long width, A_long height,
                 FillLimitsArray &limits) {
    populateAndInitialise_FillLimitsFromIncomingAlpha(source, limits, s.alphaLevel, s.threads);
    growShrink_FillLimitsArrayIfRequiredByGrowShrink(width, height, s.limitsMargin, limits);
}

// The input layer seen as the working copy is: cut to the analysed extent.
PF_LayerDef analysedPart(const PF_LayerDef &layer, A_long width, A_long height) {
    PF_LayerDef part = layer;
    part.width = width;
    part.height = height;
    return part;
}

// What both ways of running need.
struct RenderCall {
    PF_InData *in_data;
    PF_ParamDef **params;
    PF_LayerDef *output;
    InputLayer16 input;
    bool hasMatte;
    bool eightBit;
    A_long sizeFactor;
    A_long width;
    A_long height;
    HolvaneMemoryContainer &c;
    RenderWorlds &w;
    AEGP_SuiteHandler &suites;
};

// The output target, the colours and the two analysis worlds: the host calls
// that come after the frames.
PF_Err setUpAfterTheFrames(const RenderCall &r, RenderSettings &s) {
    RenderWorlds &w = r.w;
    DisposalList &list = r.c.disposalList;
    PF_Err err = setup_OutputPointer(w.output, w.temporary, r.output, r.in_data, list, r.width,
                                     r.sizeFactor, r.height, r.eightBit);
    if (err) return err;
    s.setColour = readColourParam(r.in_data, r.suites, r.params[PARAM_SET_COLOR]);
    s.decontamColour = readColourParam(r.in_data, r.suites, r.params[PARAM_DECONTAM_COLOR]);
    // Every pixel of these that anything reads is written first: the mask by
    // HoleMask, the patch world by FillChain.
    err = create_ListedWorld16(w.redMask, r.in_data, list, r.width, r.sizeFactor, r.height);
    if (!err) err = create_ListedWorld16(w.patch, r.in_data, list, r.width, r.sizeFactor, r.height);
    return err;
}

// After Effects with a matte: the working copy would be the input itself, so
// the input is the detection source and the copy's world is free. The
// analysis (HoleMask to Feather) runs in it, as the mask, before the frames
// are fetched; each frame FillChain reads is then copied only at the fill
// pixels.
// The host's calls come in the same order; the red mask world is created
// and left unused.
PF_Err analyseBeforeFetching(const RenderCall &r, RenderSettings &s) {
    RenderWorlds &w = r.w;
    FillLimitsArray &limits = r.c.fillLimits;
    PF_Err err = create_ListedWorld16(w.workingInput, r.in_data, r.c.disposalList, r.width,
                                      r.sizeFactor, r.height);
    if (err) return err;
    const PF_LayerDef inputPart = analysedPart(*r.input.layer, r.width, r.height);
    const InputLayer16 source{&inputPart, r.input.eightBit};
    w.mask = &w.workingInput;
    buildLimits(source, s, r.width, r.height, limits);
    runAnalysis(r.in_data, s, *w.mask, r.input, source, r.c, w.blue, r.width, r.height);

    FrameCapturePlan plan;
    plan.threads = s.threads;
    wantChainFrames(s, plan);
    plan.region = &limits;
    plan.onlyFillPixels = &w.blue;
    plan.input = r.input;
    err = populate_FrameArrayFramesNoMatterWhat(w.frameStorage, w.frameArray, w.workingInput,
                                                r.in_data, r.c.disposalList, r.width, r.sizeFactor,
                                                r.height, r.eightBit, 3, 3, &plan);
    if (!err) err = setUpAfterTheFrames(r, s);
    if (err) return err;
    w.currentFrame = w.frameArray[FRAME_ARRAY_CENTRE];
    w.frameArray[FRAME_ARRAY_CENTRE] = &w.workingInput;
    // A frame without pixels shows the working copy, which is the input.
    setFrameViews(w, plan, source);
    colourAndCompose(r.in_data, s, w, r.input, r.c, r.eightBit, r.output, r.width, r.height);
    return PF_Err_NONE;
}

// Premiere Pro (the detection source is the current frame as fetched), or a
// layer without a matte (the working copy, alpha 32760, is the source): the
// frames first, then the analysis in the red mask world. The frames FillChain
// reads are copied over the region it reads; under After Effects that is
// known before the fetch, under Premiere Pro they are copied whole.
PF_Err fetchBeforeAnalysing(const RenderCall &r, RenderSettings &s) {
    RenderWorlds &w = r.w;
    FillLimitsArray &limits = r.c.fillLimits;
    const bool premiere = isPremiere(r.in_data);
    PF_Err err = create_ListedWorld16(w.workingInput, r.in_data, r.c.disposalList, r.width,
                                      r.sizeFactor, r.height);
    if (err) return err;
    bool workingFilled = false;
    FrameCapturePlan plan;
    plan.threads = s.threads;
    wantChainFrames(s, plan);
    std::unique_ptr<FillLimitsArray> chainRegion;
    if (premiere) {
        plan.wanted[FRAME_ARRAY_CENTRE] = true;  // the detection source: copied whole
    } else {
        // Alpha 32760 everywhere: the copy itself is the detection source.
        fill_WorkingInputWorld(w.workingInput, *r.input.layer, r.input.eightBit, !r.hasMatte,
                               r.width, r.height, nullptr, s.threads);
        workingFilled = true;
        buildLimits(InputLayer16{&w.workingInput, false}, s, r.width, r.height, limits);
        // FillChain reads within the limits as GrowShrink leaves them.
        chainRegion = std::make_unique<FillLimitsArray>(limits);
        if (stageRuns(s, Stage::GrowShrink))
            growShrink_FillLimitsArrayIfRequiredByGrowShrink(r.width, r.height, s.growAmount,
                                                             *chainRegion);
        plan.region = chainRegion.get();
    }
    err = populate_FrameArrayFramesNoMatterWhat(w.frameStorage, w.frameArray, w.workingInput,
                                                r.in_data, r.c.disposalList, r.width, r.sizeFactor,
                                                r.height, r.eightBit, 3, 3, &plan);
    if (!err) err = setUpAfterTheFrames(r, s);
    if (err) return err;
    if (plan.fallbackUsed && !workingFilled)
        fill_WorkingInputWorld(w.workingInput, *r.input.layer, r.input.eightBit, !r.hasMatte,
                               r.width, r.height, plan.region, s.threads);

    PF_LayerDef *sourceWorld = premiere ? w.frameArray[FRAME_ARRAY_CENTRE] : &w.workingInput;
    const InputLayer16 source{sourceWorld, false};
    if (premiere) buildLimits(source, s, r.width, r.height, limits);
    w.currentFrame = w.frameArray[FRAME_ARRAY_CENTRE];
    w.frameArray[FRAME_ARRAY_CENTRE] = sourceWorld;
    setFrameViews(w, plan, InputLayer16{&w.workingInput, false});
    w.mask = &w.redMask;
    runAnalysis(r.in_data, s, *w.mask, r.input, source, r.c, w.blue, r.width, r.height);
    colourAndCompose(r.in_data, s, w, r.input, r.c, r.eightBit, r.output, r.width, r.height);
    return PF_Err_NONE;
}

// The worlds, the settings, the stages and the view (everything between
// reading the frame and disposing of the worlds). Returns the first host
// error; the caller disposes. The host sees the calls of the
// straightforward driver (reference/render/render.cpp) in the same order; what
// changes is what is copied into the worlds and which world holds the mask.
PF_Err prepareAndRun(const RenderCall &r) {
    RenderSettings s = derive_RenderSettings(r.in_data, r.params, r.height);
    RowCrew crew(s.threads.count);
    s.threads = RowThreads(s.threads.count, crew);
    if (!isPremiere(r.in_data) && r.hasMatte) return analyseBeforeFetching(r, s);
    return fetchBeforeAnalysing(r, s);
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
    PF_Err err = prepareAndRun(RenderCall{in_data, params, output, f.input, f.hasMatte, f.eightBit,
                                          f.sizeFactor, f.width, f.height, c, worlds, suites});
    if (!err) clearUncoveredOutput(*output, f.eightBit, f.width, f.height);
    const PF_Err disposeErr = Dispose_OfAllWorldsOnDisposalList(in_data, c.disposalList);
    return err ? err : disposeErr;
}
