// Region limits, red-mask helpers, scratch structures and an input record
// for the tests of the detection and fill stages.
#pragma once

#include <memory>

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
