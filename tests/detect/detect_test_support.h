// Red masks, limits and scratch structures for the detection tests.
#pragma once

#include <memory>

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"
#include "render/worlds/test_worlds.h"

constexpr A_u_short BAND = 32768;
const PF_Pixel16 BAND_PIXEL{0, BAND, 0, 0};

// The region spans the whole image.
inline std::unique_ptr<FillLimitsArray> wholeImageLimits(A_long width, A_long height) {
    auto limits = std::make_unique<FillLimitsArray>();
    *limits = FillLimitsArray{};
    for (A_long y = 0; y < height; ++y) limits->right[y] = width - 1;
    limits->firstRow = 0;
    limits->lastRow = height - 1;
    return limits;
}

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

inline std::unique_ptr<SeedStack> emptySeedStack() {
    auto stack = std::make_unique<SeedStack>();
    clearSeedStack(*stack);
    return stack;
}

inline std::unique_ptr<FillTagList> clearedTags() {
    auto list = std::make_unique<FillTagList>();
    clearFillTagList(*list);
    return list;
}
