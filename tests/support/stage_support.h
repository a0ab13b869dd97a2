// Region limits, red-mask helpers, scratch structures and an input record
// for the tests of the detection and fill stages.
#pragma once

#include <memory>

#include "detect/analysis_mask.h"
#include "detect/classify_holes.h"
#include "detect/edge_gaps.h"
#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"
#include "render/worlds/pixels.h"
#include "support/standard_maths.h"

// A rectangular region, inclusive; the record is large, so it lives on the heap.
inline std::unique_ptr<FillLimitsArray> rectLimits(A_long left, A_long right, A_long firstRow,
                                                   A_long lastRow) {
    auto limits = std::make_unique<FillLimitsArray>();
    limits->firstRow = firstRow;
    limits->lastRow = lastRow;
    for (A_long y = 0; y < FILL_LIMITS_MAX_ROWS; ++y) {
        limits->left[y] = left;
        limits->right[y] = right;
    }
    return limits;
}

// The region spans the whole image.
inline std::unique_ptr<FillLimitsArray> wholeImageLimits(A_long width, A_long height) {
    return rectLimits(0, width - 1, 0, height - 1);
}

inline std::unique_ptr<FillLimitsArray> wholeLimits(const PF_LayerDef &world) {
    return wholeImageLimits(world.width, world.height);
}

// The red of a band pixel in the analysis mask.
constexpr A_u_short BAND = 32768;
const PF_Pixel16 BAND_PIXEL{0, BAND, 0, 0};

// Inclusive rectangle of one red code.
inline void setRedRect(const PF_LayerDef &mask, A_long x0, A_long y0, A_long x1, A_long y1,
                       A_u_short red) {
    for (A_long y = y0; y <= y1; ++y)
        for (A_long x = x0; x <= x1; ++x) setPixel16Red(mask, x, y, red);
}

inline void setAlphaRect(const PF_LayerDef &world, A_long x0, A_long y0, A_long x1, A_long y1,
                         A_u_short alpha) {
    for (A_long y = y0; y <= y1; ++y)
        for (A_long x = x0; x <= x1; ++x) setPixel16Alpha(world, x, y, alpha);
}

// The analysis mask's code for a red mask pixel, as the detection stages
// leave them: red 0 or the band, green and blue one of their codes.
inline MaskCode maskCodeOf(const PF_Pixel16 &p) {
    MaskCode c = p.red == BAND_RED ? CODE_BAND : 0;
    if (p.green == GAP_MARK_GREEN) c |= CODE_GAP;
    if (p.green == EDGE_GREEN) c |= CODE_EDGE;
    if (p.green == EDGE_BAND_GREEN) c |= CODE_EDGE_BAND;
    if (p.blue == ACCEPTED_BLUE) c |= CODE_ACCEPTED;
    if (p.blue == REJECTED_BLUE) c |= CODE_REJECTED;
    if (p.blue == CHAFF_BLUE) c |= CODE_CHAFF;
    return c;
}

// The codes of a red mask world, in rows of their own.
inline AnalysisMask analysisMaskOf(const PF_LayerDef &world) {
    AnalysisMask mask = ownAnalysisMask(world.width, world.height);
    for (A_long y = 0; y < world.height; ++y)
        for (A_long x = 0; x < world.width; ++x)
            mask.row(y)[x] = maskCodeOf(*getPixel16(world, x, y));
    return mask;
}

// Every pixel of the world as its code stands for.
inline void writeMaskPixels(const AnalysisMask &mask, const PF_LayerDef &world) {
    for (A_long y = 0; y < world.height; ++y)
        for (A_long x = 0; x < world.width; ++x)
            *getPixel16(world, x, y) = maskPixelOf(mask.row(y)[x]);
}

// The render's EdgeGaps and Classify on a red mask world: on its codes,
// written back.
inline void bridgeEdgeGapsOnCodes(const PF_LayerDef &world, A_long width, A_long height, A_long gap,
                                  const FillLimitsArray &limits, int threads = 1) {
    const AnalysisMask mask = analysisMaskOf(world);
    bridge_EdgeGapsInRedMask(mask, width, height, gap, limits, threads);
    writeMaskPixels(mask, world);
}

// source: a 16-bit world, or an 8-bit layer.
inline void classifyOnCodes(const InputLayer16 &source, const PF_LayerDef &world, A_long width,
                            A_long height, FillTagList &list, A_long maxAcross, SeedStack &stack,
                            const FillLimitsArray &limits, int threads = 1) {
    const AnalysisMask mask = analysisMaskOf(world);
    for (A_long y = 0; y < height && !source.eightBit; ++y)
        for (A_long x = 0; x < width; ++x)
            if (getPixel16(*source.layer, x, y)->alpha == FULL_SCALE) mask.row(y)[x] |= CODE_OPAQUE;
    floodFillHolesRemoveChaffLogInFillTagList(source, mask, width, height, list, maxAcross, stack,
                                              limits, threads);
    writeMaskPixels(mask, world);
}

inline std::unique_ptr<SeedStack> emptySeedStack() { return std::make_unique<SeedStack>(); }

inline std::unique_ptr<FillTagList> clearedTags() {
    auto list = std::make_unique<FillTagList>();
    clearFillTagList(*list);
    return list;
}

// An input record whose utility callbacks carry the given maths.
struct TestInData {
    PF_UtilCallbacks utils{};
    PF_InData in{};

    explicit TestInData(const PF_ANSICallbacks &maths = standardMaths()) {
        utils.ansi = maths;
        in.utils = &utils;
    }
    TestInData(const TestInData &) = delete;
    TestInData &operator=(const TestInData &) = delete;
};
