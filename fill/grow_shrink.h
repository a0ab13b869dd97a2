// Stage 6: grows or shrinks the fill area (blue) by whole pixels.
#pragma once

#include "detect/fill_limits.h"

void growShrink_JustBlueInRedMaskBlocky(const PF_LayerDef &redMask, A_long width, A_long height,
                                        A_long lastRow, A_long growAmount,
                                        const FillLimitsArray &limits);
