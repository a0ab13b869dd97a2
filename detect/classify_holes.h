// Stage 3: edge band, chaff removal, pocket flooding and classification.
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"
#include "render/worlds/pixels.h"

// source: the detection source, whose alpha marks the solid edges; an 8-bit
// layer is read on the 16-bit scale.
void floodFillHolesRemoveChaffLogInFillTagList(const InputLayer16 &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list,
                                               A_long maxAcross, SeedStack &stack,
                                               const FillLimitsArray &limits);

// The same with a 16-bit source world.
void floodFillHolesRemoveChaffLogInFillTagList(const PF_LayerDef &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list,
                                               A_long maxAcross, SeedStack &stack,
                                               const FillLimitsArray &limits);
