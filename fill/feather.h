// Feather: a linear fall-off stamped around every edge pixel of the fill area.
#pragma once

#include "detect/fill_limits.h"
#include "fill/blue_bits.h"
#include "fill/blur_kernel.h"
#include "render/row_threads.h"

// Blue comes out as the plain form's adding stamps (reference/fill/feather.h);
// its edge marks in alpha (30000 on edge pixels, 10000 on the rest of the
// swept area), which nothing after the stage reads, are not written. The
// render never subtracts, so only the plain form has the subtracting stamp.
// threads: bands of rows worked on at once (render/row_workers.h); blue is
// the same for any count.
// blue: the planes of the mask's blue as it is (fill/blue_bits.h), whose
// fill plane then follows what the stage writes; without them the stage
// reads them from the mask first.
void blur_FromBlueAddOrSubtract(const PF_InData *in_data, const PF_LayerDef &redMask, A_long width,
                                A_long height, A_long lastRow, A_long featherRadius,
                                const FillLimitsArray &limits, RowThreads threads = 1,
                                BlueBits *blue = nullptr);
