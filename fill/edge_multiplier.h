// Stage 7: the edge multiplier in red, 800..20000 on every fill pixel.
#pragma once

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"

void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData *in_data, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits);
