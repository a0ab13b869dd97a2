// Stage 7: the edge multiplier in red, 800..20000 on every fill pixel.
#pragma once

#include "detect/fill_limits.h"
#include "detect/mask_marks.h"
#include "render/worlds/pixels.h"

void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData *in_data, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits);

// marks LeftOut: red is not first set to 0 over the whole world; only the
// fill pixels are written. The same result when red is 0 everywhere on entry,
// as in the render's mask (stage 5 clears it within the limits, nothing
// writes it outside them, and a grow writes 0).
void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData *in_data, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits, MaskMarks marks);
