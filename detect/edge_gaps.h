// Stage 2: bridges narrow gaps in the hole band's edge.
#pragma once

#include "detect/fill_limits.h"

void bridge_EdgeGapsInRedMask(const PF_LayerDef &redMask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits);
