// Stage 2 as the plain double loop over pixels and offsets, kept to check
// the render's bitwise form against (not part of the module).
#pragma once

#include "detect/fill_limits.h"

void bridge_EdgeGapsInRedMask_reference(const PF_LayerDef &redMask, A_long width, A_long height,
                                        A_long gapDistance, const FillLimitsArray &limits);
