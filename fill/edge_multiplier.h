// EdgeMultiplier: the edge multiplier in red, 800..20000 on every fill pixel.
#pragma once

#include "detect/fill_limits.h"
#include "fill/blue_bits.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"

// Only the fill pixels are written. The plain form
// (reference/fill/edge_multiplier.h) first sets red to 0 over the whole
// world; the result is the same when red is 0 everywhere on entry, as in the
// render's mask (Normalise clears it within the limits, nothing writes it
// outside them, and a grow writes 0). threads: bands of rows worked on at
// once (render/row_workers.h); the result is the same for any count.
// blue: the planes of the mask's blue as it is (fill/blue_bits.h); without
// them the stage reads them from the mask first.
void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData *in_data, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits, RowThreads threads = 1,
                                         const BlueBits *blue = nullptr);
