// Classify in its straightforward form: whole passes for the edge band and the
// final paint, a pass over the region for every chaff iteration, and every
// pocket flooded through the seed stack.
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"

namespace reference {

void floodFillHolesRemoveChaffLogInFillTagList(const PF_LayerDef &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list, A_long maxAcross,
                                               SeedStack &stack, const FillLimitsArray &limits);

}  // namespace reference
