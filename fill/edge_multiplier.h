// EdgeMultiplier: the edge multiplier in red, 800..20000 on every fill pixel.
#pragma once

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"

// Only the fill pixels are written. The plain form
// (reference/fill/edge_multiplier.h) first sets red to 0 over the whole
// world; the result is the same when red is 0 everywhere on entry, as in the
// render's mask (Normalise clears it within the limits, nothing writes it
// outside them, and a grow writes 0). threads: bands of rows worked on at
// once (render/row_workers.h); the result is the same for any count.
void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData *in_data, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits, int threads = 1);
