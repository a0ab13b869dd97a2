// The processing region: a first and last row and, per row, a first and last
// column, all inclusive. Every mask stage visits only this region.
#pragma once

#include "api/effect_api.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"

constexpr A_long FILL_LIMITS_MAX_ROWS = 4320;

struct FillLimitsArray {
    A_long left[FILL_LIMITS_MAX_ROWS];
    A_long right[FILL_LIMITS_MAX_ROWS];
    A_long firstRow;
    A_long lastRow;
};

inline bool isWithinLimits(const FillLimitsArray &limits, A_long x, A_long y) {
    return y >= limits.firstRow && y <= limits.lastRow && x >= limits.left[y] &&
           x <= limits.right[y];
}

// Rebuilds the limits from the alpha of a layer of either depth, read on the
// 16-bit scale, over the layer's width and height (at most 4320 rows).
// threads: row bands on worker threads (render/row_workers.h).
void populateAndInitialise_FillLimitsFromIncomingAlpha(const InputLayer16 &source,
                                                       FillLimitsArray &limits,
                                                       A_u_short alphaLevel,
                                                       RowThreads threads = 1);

// Widens the limits by margin in all four directions; nothing for margin <= 0.
void growShrink_FillLimitsArrayIfRequiredByGrowShrink(A_long width, A_long height, A_long margin,
                                                      FillLimitsArray &limits);
