// The pocket flood of Classify, and the explicit stack of the scan-line flood
// fill it stands for. The render's container holds the stack; the seed-stack
// flood itself, which floodPocketFrom reproduces span by span, is the plain
// form in reference/detect/seed_stack.h.
#pragma once

#include <vector>

#include "api/effect_api.h"
#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"
#include "detect/fill_tags.h"

struct Seed {
    A_long state;  // 0 finished, 1 new, 2 painted
    A_long x;
    A_long y;
    A_long spanLeft;
    A_long spanRight;
    A_long parent;
    bool isRoot;
    bool isBelowParent;
    bool canGoUp;
    bool canGoDown;
    bool upDone;
    A_long cursor;
    A_long cursorEnd;

    Seed();
};

constexpr A_long SEED_STACK_CAPACITY = 20000;

// Entries 1..SEED_STACK_CAPACITY - 1 live in the fixed table. A deep fill (a
// long serpentine pocket) can need more; those entries go to overflow, which
// grows as needed, so a pocket is always flooded completely and no push
// writes past the table.
struct SeedStack {
    Seed seeds[SEED_STACK_CAPACITY];
    A_long count;                // index of the top entry; 0 means empty
    std::vector<Seed> overflow;  // entries SEED_STACK_CAPACITY and above

    SeedStack();
};

// A span painted by floodPocketFrom whose neighbour rows are still to be
// searched, with the span of the row it was found from (none for the first).
struct PocketSpan {
    A_long y, left, right;
    A_long fromY, fromLeft, fromRight;
};

// The spans of pocket codes (isPocketCode) that seeding (x, y) as a root and
// running the seed-stack flood with red 0 to match
// (floodFillHolesInRedMaskTillSeedStackTillComplete) paints, reached span by
// span, marked CODE_TAGGED and measured into `tag`: every run of pocket codes
// within the row's limits (less the limit columns) of two pixels or more,
// connected to the seed's through a column under a found span's columns but
// its last. A found span's neighbour rows are searched once, column after
// column, instead of one seed per column. Each painted span is added to
// `painted`; `pending` is scratch, the spans found but not yet searched from.
void floodPocketFrom(A_long x, A_long y, const AnalysisMask &mask, A_long height, FillTag &tag,
                     const FillLimitsArray &limits, std::vector<PocketSpan> &pending,
                     std::vector<PocketSpan> &painted);
