// The straightforward seed-stack flood fill, kept to check the render's form
// against (not part of the module).
#pragma once

#include "detect/seed_stack.h"

void addSeedToStack_reference(SeedStack &stack, bool isBelowParent, A_long x, A_long y,
                              A_long limitY, A_long parent, bool isRoot);

void expandRedMaskFillHolesSeedSideWays_reference(Seed &seed, const PF_LayerDef &redMask,
                                                  A_u_short matchRed,
                                                  const FillLimitsArray &limits);

void floodFillHolesInRedMaskTillSeedStackTillComplete_reference(
    SeedStack &stack, const PF_LayerDef &redMask, A_long height, A_u_short matchRed, FillTag &tag,
    A_u_short tagValue, const FillLimitsArray &limits);
