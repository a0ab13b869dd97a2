// The seed-stack flood in its straightforward form: one seed per column of a
// painted span's neighbour rows, handled depth first. The render's Classify
// floods a span at a time (floodPocketFrom, detect/seed_stack.cpp), which the
// tests compare with this.
#include "reference/detect/seed_stack.h"

#include <algorithm>
#include <iterator>

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace reference {
namespace {

void paintSpan(const Seed &seed, const PF_LayerDef &redMask, FillTag &tag, A_u_short tagValue) {
    PF_Pixel16 *row = getPixel16(redMask, 0, seed.y);
    for (A_long x = seed.spanLeft; x <= seed.spanRight; ++x) {
        row[x].red = tagValue;
        row[x].alpha = PAINTED_ALPHA;
    }
    tag.area += seed.spanRight - seed.spanLeft;
    tag.minX = std::min(tag.minX, seed.spanLeft);
    tag.maxX = std::max(tag.maxX, seed.spanRight);
    tag.minY = std::min(tag.minY, seed.y);
    tag.maxY = std::max(tag.maxY, seed.y);
}

// A new seed: find and paint its span. The parent skip and the
// covered-by-parent test keep the number of useless seeds down.
void expandNewSeed(SeedStack &stack, A_long index, const PF_LayerDef &redMask, A_u_short matchRed,
                   FillTag &tag, A_u_short tagValue, const FillLimitsArray &limits) {
    Seed &seed = seedAt(stack, index);
    expandRedMaskFillHolesSeedSideWays(seed, redMask, matchRed, limits);
    if (!seed.isRoot) {
        // The parent walks the same neighbour row: the columns this span
        // covers need no further seeds from it.
        Seed &parent = seedAt(stack, seed.parent);
        if (!parent.isRoot && parent.upDone == seed.isBelowParent &&
            parent.cursor < seed.spanRight + 1)
            parent.cursor = std::min(seed.spanRight + 1, parent.cursorEnd);
    }
    // A lone matching pixel is never painted and never spreads.
    if (seed.spanRight - seed.spanLeft < 1) {
        seed.state = 0;
        return;
    }
    paintSpan(seed, redMask, tag, tagValue);
    seed.cursor = seed.spanLeft;
    seed.cursorEnd = seed.spanRight;
    seed.upDone = false;
    if (!seed.isRoot) {
        const Seed &parent = seedAt(stack, seed.parent);
        if (parent.spanLeft <= seed.spanLeft && seed.spanRight <= parent.spanRight) {
            // The parent's row holds nothing this span could reach anew.
            if (seed.isBelowParent) {
                seed.canGoUp = false;
                seed.upDone = true;
            } else {
                seed.canGoDown = false;
            }
        }
    }
    seed.state = 2;
}

// A painted seed emits one neighbour seed per step, first into the row
// above, then into the row below, at columns spanLeft..spanRight - 1.
void emitNeighbourSeed(SeedStack &stack, A_long index, A_long height) {
    Seed &seed = seedAt(stack, index);
    A_long row;
    bool below;
    if (!seed.upDone) {
        if (!seed.canGoUp || seed.y - 1 < 0 || seed.cursor >= seed.cursorEnd) {
            seed.upDone = true;
            seed.cursor = seed.spanLeft;
            return;
        }
        row = seed.y - 1;
        below = false;
    } else {
        if (!seed.canGoDown || seed.y + 1 >= height || seed.cursor >= seed.cursorEnd) {
            seed.state = 0;
            return;
        }
        row = seed.y + 1;
        below = true;
    }
    const A_long column = seed.cursor;
    seed.cursor += 1;
    // The push may move the overflow entries: seed is not used after it.
    addSeedToStack(stack, below, column, row, height - 1, index, false);
}

void popSeed(SeedStack &stack) {
    Seed &seed = seedAt(stack, stack.count);
    seed.x = seed.y = seed.spanLeft = seed.spanRight = seed.parent = 0;
    stack.count -= 1;
}

}  // namespace

void clearSeedStack(SeedStack &stack) {
    stack.count = 0;
    std::fill(std::begin(stack.seeds), std::end(stack.seeds), Seed());
    stack.overflow.clear();
}

void addSeedToStack(SeedStack &stack, bool isBelowParent, A_long x, A_long y, A_long limitY,
                    A_long parent, bool isRoot) {
    stack.count += 1;
    // Only ever one entry beyond the top, so the overflow grows one at a time.
    if (stack.count >= SEED_STACK_CAPACITY &&
        static_cast<std::size_t>(stack.count - SEED_STACK_CAPACITY) >= stack.overflow.size())
        stack.overflow.emplace_back();
    Seed &seed = seedAt(stack, stack.count);
    seed.state = 1;
    seed.x = seed.spanLeft = seed.spanRight = x;
    seed.y = y;
    seed.parent = parent;
    seed.isRoot = isRoot;
    seed.isBelowParent = isBelowParent;
    seed.upDone = false;
    seed.canGoUp = y > 0;
    seed.canGoDown = y < limitY;
}

void expandRedMaskFillHolesSeedSideWays(Seed &seed, const PF_LayerDef &redMask, A_u_short matchRed,
                                        const FillLimitsArray &limits) {
    const A_long x = seed.x;
    const A_long y = seed.y;
    seed.spanLeft = seed.spanRight = x;
    // Limits first: they also keep every read inside the image.
    if (y < limits.firstRow || y > limits.lastRow) return;
    const A_long left = limits.left[y];
    const A_long right = limits.right[y];
    if (x < left || x > right) return;
    const PF_Pixel16 *row = getPixel16(redMask, 0, y);
    if (row[x].red != matchRed) return;

    // The limit columns themselves never join a span.
    A_long p = x;
    while (p >= left && row[p].red == matchRed) --p;
    seed.spanLeft = p >= left ? p + 1 : left + 1;
    p = x;
    while (p <= right && row[p].red == matchRed) ++p;
    seed.spanRight = p <= right ? p - 1 : right - 1;
}

void floodFillHolesInRedMaskTillSeedStackTillComplete(SeedStack &stack, const PF_LayerDef &redMask,
                                                      A_long height, A_u_short matchRed,
                                                      FillTag &tag, A_u_short tagValue,
                                                      const FillLimitsArray &limits) {
    // Depth first: the newest seed is always the next one handled.
    while (stack.count > 0) {
        const A_long top = stack.count;
        switch (seedAt(stack, top).state) {
            case 0:
                popSeed(stack);
                break;
            case 1:
                expandNewSeed(stack, top, redMask, matchRed, tag, tagValue, limits);
                break;
            default:
                emitNeighbourSeed(stack, top, height);
                break;
        }
    }
}

}  // namespace reference
