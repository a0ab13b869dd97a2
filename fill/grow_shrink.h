// GrowShrink: grows or shrinks the fill area (blue) by whole pixels.
#pragma once

#include "detect/fill_limits.h"

// Blue and red come out as the plain form's (reference/fill/grow_shrink.h);
// its marks in alpha (10000 over rows 0..lastRow, 30000 where the last pass
// selected within the region), which nothing after the stage reads, are not
// written: alpha is left as it is.
void growShrink_JustBlueInRedMaskBlocky(const PF_LayerDef &redMask, A_long width, A_long height,
                                        A_long lastRow, A_long growAmount,
                                        const FillLimitsArray &limits);
