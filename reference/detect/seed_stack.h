// The seed-stack flood fill in its straightforward form (not part of the
// module): the plain Classify (reference/detect/classify_holes.cpp) floods every
// pocket with it, and the tests check the render's span-at-a-time flood
// (floodPocketFrom, detect/seed_stack.h) against it.
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"

namespace reference {

// Entries 1..SEED_STACK_CAPACITY - 1 live in the stack's fixed table, the
// rest in its overflow: reach every entry through seedAt.
inline Seed &seedAt(SeedStack &stack, A_long index) {
    return index < SEED_STACK_CAPACITY
               ? stack.seeds[index]
               : stack.overflow[static_cast<std::size_t>(index - SEED_STACK_CAPACITY)];
}

void clearSeedStack(SeedStack &stack);

void addSeedToStack(SeedStack &stack, bool isBelowParent, A_long x, A_long y, A_long limitY,
                    A_long parent, bool isRoot);

void expandRedMaskFillHolesSeedSideWays(Seed &seed, const PF_LayerDef &redMask, A_u_short matchRed,
                                        const FillLimitsArray &limits);

void floodFillHolesInRedMaskTillSeedStackTillComplete(SeedStack &stack, const PF_LayerDef &redMask,
                                                      A_long height, A_u_short matchRed,
                                                      FillTag &tag, A_u_short tagValue,
                                                      const FillLimitsArray &limits);

}  // namespace reference
