// GrowShrink in its straightforward form: every pass marks in alpha and applies
// over the whole region.
#pragma once

#include "detect/fill_limits.h"

namespace reference {

void growShrink_JustBlueInRedMaskBlocky(const PF_LayerDef &redMask, A_long width, A_long height,
                                        A_long lastRow, A_long growAmount,
                                        const FillLimitsArray &limits);

}  // namespace reference
