// Stage 3: edge band, chaff removal, pocket flooding and classification.
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"

void floodFillHolesRemoveChaffLogInFillTagList(const PF_LayerDef &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list,
                                               A_long maxAcross, SeedStack &stack,
                                               const FillLimitsArray &limits);
