// Stage 3 in its straightforward form, kept to check the render's form
// against (not part of the module).
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"

void floodFillHolesRemoveChaffLogInFillTagList_reference(const PF_LayerDef &source,
                                                         const PF_LayerDef &redMask, A_long width,
                                                         A_long height, FillTagList &list,
                                                         A_long maxAcross, SeedStack &stack,
                                                         const FillLimitsArray &limits);
