#include "detect/seed_stack.h"

#include <algorithm>
#include <iterator>

#include "render/worlds/pixels.h"

namespace {

constexpr A_u_short PAINTED_ALPHA = 32768;

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

// The span a seed at column x of row y would find: the run of matching
// pixels around x within the limit columns left..right, less a limit column
// the run reaches. x must match. `last` is the run's last column.
struct RunAround {
    A_long spanLeft, spanRight, last;
};

inline RunAround runAround(const PF_Pixel16 *row, A_long x, A_long left, A_long right,
                           A_u_short matchRed) {
    A_long first = x, last = x;
    while (first > left && row[first - 1].red == matchRed) --first;
    while (last < right && row[last + 1].red == matchRed) ++last;
    return RunAround{first > left ? first : left + 1, last < right ? last : right - 1, last};
}

void paintPocketSpan(PF_Pixel16 *row, A_long y, A_long left, A_long right, FillTag &tag,
                     A_u_short tagValue) {
    for (A_long x = left; x <= right; ++x) {
        row[x].red = tagValue;
        row[x].alpha = PAINTED_ALPHA;
    }
    tag.area += right - left;
    tag.minX = std::min(tag.minX, left);
    tag.maxX = std::max(tag.maxX, right);
    tag.minY = std::min(tag.minY, y);
    tag.maxY = std::max(tag.maxY, y);
}

// The seeds a painted span would emit into row ny, at its columns but the
// last, found in one walk along the row: each run met is painted (if two
// pixels or more) and the walk goes on past it, since a seed anywhere in a
// run finds the same span. The span the searched one was found from is
// painted already and skipped.
void searchNeighbourRow(const PocketSpan &s, A_long ny, const PF_LayerDef &redMask,
                        A_u_short matchRed, FillTag &tag, A_u_short tagValue,
                        const FillLimitsArray &limits, std::vector<PocketSpan> &pending) {
    if (ny < limits.firstRow || ny > limits.lastRow) return;
    const A_long left = limits.left[ny];
    const A_long right = limits.right[ny];
    PF_Pixel16 *row = getPixel16(redMask, 0, ny);
    const A_long last = std::min(s.right - 1, right);
    for (A_long x = std::max(s.left, left); x <= last; ++x) {
        if (ny == s.fromY && x >= s.fromLeft && x <= s.fromRight) {
            x = s.fromRight;
            continue;
        }
        if (row[x].red != matchRed) continue;
        const RunAround run = runAround(row, x, left, right, matchRed);
        if (run.spanRight - run.spanLeft >= 1) {
            paintPocketSpan(row, ny, run.spanLeft, run.spanRight, tag, tagValue);
            pending.push_back(PocketSpan{ny, run.spanLeft, run.spanRight, s.y, s.left, s.right});
        }
        x = run.last;
    }
}

void popSeed(SeedStack &stack) {
    Seed &seed = seedAt(stack, stack.count);
    seed.x = seed.y = seed.spanLeft = seed.spanRight = seed.parent = 0;
    stack.count -= 1;
}

}  // namespace

Seed::Seed()
    : state(0),
      x(0),
      y(0),
      spanLeft(0),
      spanRight(0),
      parent(0),
      isRoot(false),
      isBelowParent(false),
      canGoUp(false),
      canGoDown(false),
      upDone(false),
      cursor(0),
      cursorEnd(0) {}

SeedStack::SeedStack() : count(0) {}

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

void floodPocketFrom(A_long x, A_long y, const PF_LayerDef &redMask, A_long height,
                     A_u_short matchRed, FillTag &tag, A_u_short tagValue,
                     const FillLimitsArray &limits, std::vector<PocketSpan> &pending) {
    pending.clear();
    if (y < limits.firstRow || y > limits.lastRow || y < 0 || y >= height) return;
    const A_long left = limits.left[y];
    const A_long right = limits.right[y];
    if (x < left || x > right) return;
    PF_Pixel16 *row = getPixel16(redMask, 0, y);
    if (row[x].red != matchRed) return;
    const RunAround run = runAround(row, x, left, right, matchRed);
    if (run.spanRight - run.spanLeft < 1) return;
    paintPocketSpan(row, y, run.spanLeft, run.spanRight, tag, tagValue);
    // The first span came from no row: its own row is never searched.
    pending.push_back(PocketSpan{y, run.spanLeft, run.spanRight, y, 0, -1});
    while (!pending.empty()) {
        const PocketSpan s = pending.back();
        pending.pop_back();
        if (s.y > 0)
            searchNeighbourRow(s, s.y - 1, redMask, matchRed, tag, tagValue, limits, pending);
        if (s.y + 1 < height)
            searchNeighbourRow(s, s.y + 1, redMask, matchRed, tag, tagValue, limits, pending);
    }
}
