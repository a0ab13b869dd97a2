#include "analysis_state.h"

#include <cmath>
#include <cstring>

#include "detect/fill_limits.h"
#include "reference/detect/classify_holes.h"
#include "reference/detect/edge_gaps.h"
#include "reference/detect/hole_mask.h"
#include "reference/fill/edge_multiplier.h"
#include "reference/fill/feather.h"
#include "reference/fill/grow_shrink.h"
#include "reference/render/compose_view.h"
#include "reference/render/fill_chain.h"
#include "reference/render/recode_fill_area.h"
#include "render/worlds/world_ops.h"

namespace {

// Row padding, so that a stage stepping rows by width reads the wrong pixels.
constexpr A_long PADDING = 24;

PF_Pixel16 colourParam(const ParamValues &values, ParamIndex index) {
    PF_Pixel16 c = convertPix8To16(values.colour.at(index));
    c.alpha = 32768;
    return c;
}

}  // namespace

KeyedFrameOptions frameOptions(A_long width, A_long height, PixelDepth depth, std::uint32_t seed) {
    KeyedFrameOptions o;
    o.width = width;
    o.height = height;
    o.depth = depth;
    o.seed = seed;
    return o;
}

AnalysisState::AnalysisState(const KeyedFrameOptions &frame, const ParamValues &values)
    : workingInput(frame.width, frame.height, PixelDepth::Sixteen, PADDING, 0xCD),
      redMask(frame.width, frame.height, PixelDepth::Sixteen, PADDING, 0xCD),
      patch(frame.width, frame.height, PixelDepth::Sixteen, PADDING, 0xCD),
      output(frame.width, frame.height, PixelDepth::Sixteen, PADDING, 0xCD),
      container(allocate_HolvaneMemoryContainer()),
      width_(frame.width),
      height_(frame.height) {
    for (A_long offset = -3; offset <= 3; ++offset) {
        clip.push_back(makeKeyedFrame(neighbourFrame(frame, offset)));
        frames.emplace_back(width_, height_, PixelDepth::Sixteen, PADDING, 0xCD);
    }
    input = InputLayer16{&clip[3].layer(), frame.depth == PixelDepth::Eight};
    utils.ansi = standardMaths();
    inData.utils = &utils;
    inData.downsample_x = inData.downsample_y = PF_RationalScale{1, 1};
    ParamArray params;
    buildLinkedEffectParamArray(values, clip[3].layer(), params);
    settings = derive_RenderSettings(&inData, params.list.data(), height_);
    settings.setColour = colourParam(values, PARAM_SET_COLOR);
    settings.decontamColour = colourParam(values, PARAM_DECONTAM_COLOR);

    // The working copies, as the plain driver makes them.
    for (std::size_t i = 0; i < clip.size(); ++i) {
        if (input.eightBit)
            copy8To16BitWorld(clip[i].layer(), frames[i].layer());
        else
            copyWorldToWorld(clip[i].layer(), frames[i].layer());
        frameArray[FRAME_ARRAY_CENTRE - 3 + static_cast<A_long>(i)] = &frames[i].layer();
    }
    copyWorldToWorld(frames[3].layer(), workingInput.layer());
    currentFrame = frameArray[FRAME_ARRAY_CENTRE];
    frameArray[FRAME_ARRAY_CENTRE] = &workingInput.layer();
    clearWorldToTransparentBlack(patch.layer(), width_, height_);
}

void AnalysisState::runReferenceUpTo(Stage stage) {
    while (next_ < stageNumber(stage)) runReference(STAGES[next_].stage);
}

void AnalysisState::runReference(Stage stage) {
    const RenderSettings &s = settings;
    HolvaneMemoryContainer &c = *container;
    FillLimitsArray &limits = c.fillLimits;
    const PF_LayerDef &mask = redMask.layer();
    next_ = stageNumber(stage) + 1;
    if (!stageRuns(s, stage)) return;
    switch (stage) {
        case Stage::WorkingImages:  // made by the constructor
            break;
        case Stage::HoleMask:
            populateAndInitialise_FillLimitsFromIncomingAlpha(
                InputLayer16{&workingInput.layer(), false}, limits, s.alphaLevel);
            growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.limitsMargin,
                                                             limits);
            clearWorldToTransparentBlack(mask, width_, height_);
            reference::copyAlphaWorldToRedInRedMask(mask, workingInput.layer(), s.alphaLevel,
                                                    MINIMUM_ALPHA, limits);
            break;
        case Stage::EdgeGaps:
            reference::bridge_EdgeGapsInRedMask(mask, width_, height_, s.gapDistance, limits);
            break;
        case Stage::Classify:
            reference::floodFillHolesRemoveChaffLogInFillTagList(workingInput.layer(), mask, width_,
                                                                 height_, c.fillTags, s.maxAcross,
                                                                 c.seedStack, limits);
            break;
        case Stage::ClearRejected:
            reference::clear_RejectedRegionsInRedMask(mask, limits);
            break;
        case Stage::Normalise:
            reference::normalise_FillAreaInRedMask(mask, limits);
            break;
        case Stage::GrowShrink:
            growShrink_FillLimitsArrayIfRequiredByGrowShrink(width_, height_, s.growAmount, limits);
            reference::growShrink_JustBlueInRedMaskBlocky(mask, width_, height_, height_ - 1,
                                                          s.growAmount, limits);
            break;
        case Stage::EdgeMultiplier:
            reference::make_EdgeMultiplyerMaskOnRedRedMask(&inData, mask, input, width_, height_,
                                                           limits);
            break;
        case Stage::Feather:
            reference::blur_FromBlueAddOrSubtract(&inData, mask, width_, height_, height_ - 1,
                                                  static_cast<A_long>(s.featherRadius), false,
                                                  limits);
            break;
        case Stage::FillChain:
            reference::run_FillChain(
                s.fillChain,
                FillChainWorlds{currentFrame, frameArray, input, &patch.layer(), &mask}, s.blurSize,
                s.quarterLevel, s.setColour, limits, utils.ansi);
            break;
        case Stage::Compose:
            reference::compose_OutputView(
                output.layer(),
                ComposeSources{input, &patch.layer(), &mask, &limits, s.decontamColour}, s.viewMode,
                width_, height_);
            break;
    }
}

std::vector<std::uint8_t> snapshot(const OwnedWorld &world) {
    std::vector<std::uint8_t> bytes;
    for (A_long y = 0; y < world.height(); ++y)
        bytes.insert(bytes.end(), world.row(y), world.row(y) + world.rowbytes());
    return bytes;
}

void restore(OwnedWorld &world, const std::vector<std::uint8_t> &bytes) {
    for (A_long y = 0; y < world.height(); ++y)
        std::memcpy(world.row(y), bytes.data() + std::size_t(y) * world.rowbytes(),
                    world.rowbytes());
}

namespace {

struct Differences {
    long count = 0;
    A_long x = -1, y = -1;
    PF_Pixel16 expected{}, actual{};
};

template <typename Differs>
Differences findDifferences(const PF_LayerDef &expected, const PF_LayerDef &actual, A_long width,
                            A_long height, Differs differs) {
    Differences d;
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) {
            const PF_Pixel16 &e = *getPixel16(expected, x, y);
            const PF_Pixel16 &a = *getPixel16(actual, x, y);
            if (differs(e, a) && d.count++ == 0) d.x = x, d.y = y, d.expected = e, d.actual = a;
        }
    return d;
}

}  // namespace

::testing::AssertionResult samePixels(const PF_LayerDef &expected, const PF_LayerDef &actual,
                                      A_long width, A_long height) {
    const Differences d = findDifferences(expected, actual, width, height,
                                          [](const PF_Pixel16 &e, const PF_Pixel16 &a) {
                                              return std::memcmp(&e, &a, sizeof e) != 0;
                                          });
    if (d.count == 0) return ::testing::AssertionSuccess();
    const PF_Pixel16 &e = d.expected, &a = d.actual;
    return ::testing::AssertionFailure()
           << d.count << " pixel(s) differ, the first at (" << d.x << ", " << d.y << "): expected ("
           << e.alpha << ", " << e.red << ", " << e.green << ", " << e.blue << "), got (" << a.alpha
           << ", " << a.red << ", " << a.green << ", " << a.blue << ")";
}

::testing::AssertionResult sameMaskColours(const PF_LayerDef &expected, const PF_LayerDef &actual,
                                           A_long width, A_long height) {
    const Differences d = findDifferences(
        expected, actual, width, height, [](const PF_Pixel16 &e, const PF_Pixel16 &a) {
            return e.red != a.red || e.green != a.green || e.blue != a.blue;
        });
    if (d.count == 0) return ::testing::AssertionSuccess();
    const PF_Pixel16 &e = d.expected, &a = d.actual;
    return ::testing::AssertionFailure()
           << d.count << " pixel(s) differ, the first at (" << d.x << ", " << d.y
           << "): expected red, green, blue (" << e.red << ", " << e.green << ", " << e.blue
           << "), got (" << a.red << ", " << a.green << ", " << a.blue << ")";
}
