#include "stage_pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "detect/classify_holes.h"
#include "detect/edge_gaps.h"
#include "detect/fill_limits.h"
#include "detect/hole_mask.h"
#include "fill/edge_multiplier.h"
#include "fill/feather.h"
#include "fill/grow_shrink.h"
#include "reference/detect/classify_holes.h"
#include "reference/detect/edge_gaps.h"
#include "reference/detect/hole_mask.h"
#include "reference/fill/edge_multiplier.h"
#include "reference/fill/feather.h"
#include "reference/fill/grow_shrink.h"
#include "reference/render/compose_view.h"
#include "reference/render/fill_chain.h"
#include "reference/render/recode_fill_area.h"
#include "reference/render/worlds/world_ops.h"
#include "render/compose_view.h"
#include "render/fill_chain.h"
#include "render/recode_fill_area.h"
#include "render/worlds/working_images.h"
#include "render/worlds/world_ops.h"
#include "support/standard_maths.h"

namespace {

PF_Pixel16 colourParam(const ParamValues &values, ParamIndex index) {
    PF_Pixel16 c = convertPix8To16(values.colour.at(index));
    c.alpha = 32768;
    return c;
}

void copyPixels(const OwnedWorld &from, std::vector<std::uint8_t> &to) {
    const auto *first = reinterpret_cast<const std::uint8_t *>(from.layer().data);
    to.assign(first, first + from.byteCount());
}

void putPixels(const std::vector<std::uint8_t> &from, OwnedWorld &to) {
    std::memcpy(to.layer().data, from.data(), from.size());
}

}  // namespace

struct StagePipeline::Saved {
    std::vector<std::uint8_t> redMask;
    std::vector<std::uint8_t> referenceMask;
    std::vector<std::uint8_t> patch;
    std::vector<std::uint8_t> output16;
    BlueBits blue;
    std::unique_ptr<FillLimitsArray> limits = std::make_unique<FillLimitsArray>();
};

StagePipeline::~StagePipeline() = default;

StagePipeline::StagePipeline(const BenchCase &benchCase)
    : case_(benchCase),
      clip_(benchClip(benchCase)),
      width_(benchCase.width),
      height_(benchCase.height),
      container_(allocate_HolvaneMemoryContainer()),
      workingInput_(width_, height_, PixelDepth::Sixteen),
      redMask_(width_, height_, PixelDepth::Sixteen),
      referenceMask_(width_, height_, PixelDepth::Sixteen),
      patch_(width_, height_, PixelDepth::Sixteen),
      output16_(width_, height_, PixelDepth::Sixteen),
      output8_(width_, height_, PixelDepth::Eight) {
    const PF_LayerDef &layer = clip_[BENCH_FRAMES_AROUND].layer();
    input_ = InputLayer16{&layer, case_.depth == PixelDepth::Eight};
    for (std::size_t i = 0; i < clip_.size(); ++i)
        frames_.emplace_back(width_, height_, PixelDepth::Sixteen);

    utils_.ansi = standardMaths();
    inData_.utils = &utils_;
    inData_.downsample_x = inData_.downsample_y = PF_RationalScale{1, 1};
    ParamArray params;
    buildLinkedEffectParamArray(case_.values, layer, params);
    settings_ = derive_RenderSettings(&inData_, params.list.data(), height_);
    settings_.setColour = colourParam(case_.values, PARAM_SET_COLOR);
    settings_.decontamColour = colourParam(case_.values, PARAM_DECONTAM_COLOR);
    reset();
}

// FillChain's worlds; the fast form reads 8-bit captures as they were made.
FillChainWorlds StagePipeline::chainWorlds(const PF_LayerDef &mask, bool reference) {
    FillChainWorlds w{currentFrame_, frameArray_, input_, &patch_.layer(), &mask};
    if (reference) return w;
    for (A_long slot = 0; slot < FRAME_ARRAY_SLOTS; ++slot)
        views_[slot] = InputLayer16{frameArray_[slot], packed_[slot]};
    w.frameViews = views_;
    w.currentFrameView = InputLayer16{currentFrame_, packed_[FRAME_ARRAY_CENTRE]};
    w.fillPixels = &blue_;
    return w;
}

AnalysisMask StagePipeline::codes() { return analysisMaskIn(redMask_.layer(), width_, height_); }

bool StagePipeline::holdsCodes() const {
    return next_ > stageNumber(Stage::HoleMask) && next_ <= stageNumber(Stage::ClearRejected);
}

void StagePipeline::reset() {
    next_ = 0;
    for (PF_LayerDef *&slot : frameArray_) slot = nullptr;
}

bool StagePipeline::runs(Stage stage, bool reference) const {
    if (stage == Stage::Normalise && !reference) return false;
    return stageRuns(settings_, stage);
}

void StagePipeline::advanceTo(Stage stage) {
    if (next_ > stageNumber(stage)) reset();
    while (next_ < stageNumber(stage)) {
        const Stage s = STAGES[next_].stage;
        // Whole 16-bit copies of the frames, which both forms of FillChain read.
        const bool reference = s == Stage::WorkingImages;
        if (runs(s, reference)) run(s, reference);
        ++next_;
    }
}

void StagePipeline::run(Stage stage, bool reference) {
    const RenderSettings &s = settings_;
    HolvaneMemoryContainer &c = *container_;
    FillLimitsArray &limits = c.fillLimits;
    const PF_LayerDef &mask = redMask_.layer();
    switch (stage) {
        case Stage::WorkingImages:
            if (reference) {
                // Every frame copied whole, and the working copy of the input.
                std::fill(std::begin(packed_), std::end(packed_), false);
                for (std::size_t i = 0; i < clip_.size(); ++i)
                    fill_WorkingInputWorld(frames_[i].layer(), clip_[i].layer(), input_.eightBit,
                                           false, width_, height_, nullptr);
                fill_WorkingInputWorld(workingInput_.layer(), *input_.layer, input_.eightBit, false,
                                       width_, height_, nullptr);
            } else {
                // The frames the chain reads, over the region it reads (the
                // render works the region out from the input before the
                // check-outs).
                auto region = std::make_unique<FillLimitsArray>();
                populateAndInitialise_FillLimitsFromIncomingAlpha(input_, *region, s.alphaLevel,
                                                                  s.threads);
                growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.limitsMargin,
                                                                 *region);
                growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.growAmount,
                                                                 *region);
                const FillChain &chain = fillChainOf(s.fillChain);
                for (std::size_t i = 0; i < clip_.size(); ++i) {
                    const A_long offset = static_cast<A_long>(i) - BENCH_FRAMES_AROUND;
                    const bool read = stageRuns(s, Stage::FillChain) &&
                                      (offset == 0 ? chain.readsCurrentFrame
                                                   : std::abs(offset) <= chain.frameReach);
                    if (read)
                        packed_[FRAME_ARRAY_CENTRE + offset] =
                            capture_FrameRegion(frames_[i].layer(), clip_[i].layer(),
                                                input_.eightBit, *region, s.threads);
                }
            }
            for (std::size_t i = 0; i < clip_.size(); ++i)
                frameArray_[FRAME_ARRAY_CENTRE - BENCH_FRAMES_AROUND + i] = &frames_[i].layer();
            currentFrame_ = frameArray_[FRAME_ARRAY_CENTRE];
            frameArray_[FRAME_ARRAY_CENTRE] = &workingInput_.layer();
            break;
        case Stage::HoleMask:
            if (reference) {
                populateAndInitialise_FillLimitsFromIncomingAlpha(
                    InputLayer16{&workingInput_.layer(), false}, limits, s.alphaLevel, s.threads);
                growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.limitsMargin,
                                                                 limits);
                clearWorldToTransparentBlack(mask, width_, height_);
                reference::copyAlphaWorldToRedInRedMask(mask, workingInput_.layer(), s.alphaLevel,
                                                        MINIMUM_ALPHA, limits);
            } else {
                populateAndInitialise_FillLimitsFromIncomingAlpha(input_, limits, s.alphaLevel,
                                                                  s.threads);
                growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.limitsMargin,
                                                                 limits);
                copyAlphaToBandCodes(codes(), input_, s.alphaLevel, MINIMUM_ALPHA, limits,
                                     s.threads);
            }
            break;
        case Stage::EdgeGaps:
            if (reference)
                reference::bridge_EdgeGapsInRedMask(referenceMask_.layer(), width_, height_,
                                                    s.gapDistance, limits);
            else
                bridge_EdgeGapsInRedMask(codes(), width_, height_, s.gapDistance, limits,
                                         s.threads);
            break;
        case Stage::Classify:
            if (reference)
                reference::floodFillHolesRemoveChaffLogInFillTagList(
                    workingInput_.layer(), referenceMask_.layer(), width_, height_, c.fillTags,
                    s.maxAcross, c.seedStack, limits);
            else
                floodFillHolesRemoveChaffLogInFillTagList(input_, codes(), width_, height_,
                                                          c.fillTags, s.maxAcross, c.seedStack,
                                                          limits, s.threads);
            break;
        case Stage::ClearRejected:
            // The fast form writes the world from the codes, with Normalise
            // applied too, as the render does.
            if (reference)
                reference::clear_RejectedRegionsInRedMask(referenceMask_.layer(), limits);
            else
                write_RedMaskWorld(mask, codes(), limits, true, stageRuns(s, Stage::Normalise),
                                   s.threads, &blue_, writesMaskAtFillPixelsOnly(s));
            break;
        case Stage::Normalise:
            reference::normalise_FillAreaInRedMask(mask, limits);
            break;
        case Stage::GrowShrink:
            growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.growAmount, limits);
            if (reference)
                reference::growShrink_JustBlueInRedMaskBlocky(mask, width_, height_, height_ - 1,
                                                              s.growAmount, limits);
            else
                growShrink_JustBlueInRedMaskBlocky(mask, width_, height_, height_ - 1, s.growAmount,
                                                   limits);
            if (s.growAmount != 0) read_BlueBitsFromWorld(blue_, mask, width_, height_, s.threads);
            break;
        case Stage::EdgeMultiplier:
            if (reference)
                reference::make_EdgeMultiplyerMaskOnRedRedMask(&inData_, mask, input_, width_,
                                                               height_, limits);
            else
                make_EdgeMultiplyerMaskOnRedRedMask(&inData_, mask, input_, width_, height_, limits,
                                                    s.threads, &blue_);
            break;
        case Stage::Feather:
            if (reference)
                reference::blur_FromBlueAddOrSubtract(&inData_, mask, width_, height_, height_ - 1,
                                                      static_cast<A_long>(s.featherRadius), false,
                                                      limits);
            else
                blur_FromBlueAddOrSubtract(&inData_, mask, width_, height_, height_ - 1,
                                           static_cast<A_long>(s.featherRadius), limits, s.threads,
                                           &blue_);
            break;
        case Stage::FillChain:
            if (reference)
                reference::run_FillChain(s.fillChain, chainWorlds(mask, reference), s.blurSize,
                                         s.quarterLevel, s.setColour, limits, utils_.ansi);
            else
                run_FillChain(s.fillChain, chainWorlds(mask, reference), s.blurSize, s.quarterLevel,
                              s.setColour, limits, utils_.ansi, s.threads);
            break;
        case Stage::Compose: {
            const ComposeSources sources{input_,  &patch_.layer(),  &mask,
                                         &limits, s.decontamColour, reference ? nullptr : &blue_};
            const bool eightBit = case_.depth == PixelDepth::Eight;
            if (reference) {
                // The view in 16 bits, then converted for an 8-bit output.
                reference::compose_OutputView(output16_.layer(), sources, s.viewMode, width_,
                                              height_);
                if (eightBit) reference::copy16To8BitWorld(output16_.layer(), output8_.layer());
            } else if (eightBit) {
                compose_OutputViewInto8Bit(output8_.layer(), sources, s.viewMode, width_, height_,
                                           s.threads);
            } else {
                compose_OutputView(output16_.layer(), sources, s.viewMode, width_, height_,
                                   s.threads);
            }
            break;
        }
    }
}

void StagePipeline::save() {
    if (!saved_) saved_ = std::make_unique<Saved>();
    if (holdsCodes())
        write_RedMaskWorld(referenceMask_.layer(), codes(), container_->fillLimits, false, false);
    copyPixels(redMask_, saved_->redMask);
    copyPixels(referenceMask_, saved_->referenceMask);
    copyPixels(patch_, saved_->patch);
    copyPixels(output16_, saved_->output16);
    saved_->blue = blue_;
    *saved_->limits = container_->fillLimits;
}

void StagePipeline::restore() {
    putPixels(saved_->redMask, redMask_);
    putPixels(saved_->referenceMask, referenceMask_);
    putPixels(saved_->patch, patch_);
    putPixels(saved_->output16, output16_);
    blue_ = saved_->blue;
    container_->fillLimits = *saved_->limits;
}
