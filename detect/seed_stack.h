// The explicit stack of the scan-line flood fill that Classify's pocket flood
// (detect/pocket_runs.h) stands for. The render's container holds the stack;
// the seed-stack flood itself is the plain form in
// reference/detect/seed_stack.h.
#pragma once

#include <vector>

#include "api/effect_api.h"

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
