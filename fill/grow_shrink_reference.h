// Stage 6 in its straightforward form, kept to check the render's form
// against (not part of the module).
#pragma once

#include "detect/fill_limits.h"

void growShrink_JustBlueInRedMaskBlocky_reference(const PF_LayerDef &redMask, A_long width,
                                                  A_long height, A_long lastRow, A_long growAmount,
                                                  const FillLimitsArray &limits);
