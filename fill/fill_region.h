// The fill stages' view of the FillLimitsArray: the region's rows and, per
// row, its columns, cut to the rectangle of the world a stage may touch.
#pragma once

#include <algorithm>

#include "detect/fill_limits.h"

// An inclusive rectangle of pixel coordinates.
struct FillBounds {
    A_long minX;
    A_long maxX;
    A_long minY;
    A_long maxY;
};

// Limits are built from the image, so the cut changes nothing on a sound
// region; it keeps a stage inside its world (and inside the limits' row
// tables) when the world is narrower than the region, as when a host records
// a doubled width but hands over the frame width.
inline A_long regionFirstRow(const FillLimitsArray &limits, const FillBounds &bounds) {
    return std::max({limits.firstRow, bounds.minY, A_long{0}});
}

inline A_long regionLastRow(const FillLimitsArray &limits, const FillBounds &bounds) {
    return std::min({limits.lastRow, bounds.maxY, FILL_LIMITS_MAX_ROWS - 1});
}

inline A_long regionLeft(const FillLimitsArray &limits, A_long y, const FillBounds &bounds) {
    return std::max(limits.left[y], bounds.minX);
}

inline A_long regionRight(const FillLimitsArray &limits, A_long y, const FillBounds &bounds) {
    return std::min(limits.right[y], bounds.maxX);
}

// Visits every region pixel within bounds, rows top to bottom, columns left
// to right.
template <typename Visit>
inline void forEachRegionPixel(const FillLimitsArray &limits, const FillBounds &bounds,
                               Visit &&visit) {
    const A_long lastRow = regionLastRow(limits, bounds);
    for (A_long y = regionFirstRow(limits, bounds); y <= lastRow; ++y) {
        const A_long right = regionRight(limits, y, bounds);
        for (A_long x = regionLeft(limits, y, bounds); x <= right; ++x) visit(x, y);
    }
}

// The whole of a world as bounds.
inline FillBounds worldBounds(const PF_LayerDef &world) {
    return FillBounds{0, world.width - 1, 0, world.height - 1};
}
