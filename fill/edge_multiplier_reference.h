// Stage 7 in its straightforward form, kept to check the render's form
// against (not part of the module).
#pragma once

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"

void make_EdgeMultiplyerMaskOnRedRedMask_reference(const PF_InData *in_data,
                                                   const PF_LayerDef &redMask,
                                                   const InputLayer16 &input, A_long width,
                                                   A_long height, const FillLimitsArray &limits);
