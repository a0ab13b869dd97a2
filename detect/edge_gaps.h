// Stage 2: bridges narrow gaps in the hole band's edge.
#pragma once

#include "detect/fill_limits.h"
#include "detect/mask_marks.h"

void bridge_EdgeGapsInRedMask(const PF_LayerDef &redMask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits);

// marks LeftOut: the alpha of 19000 over the inner image is not written,
// and the gap pixels are converted as they are found. Red, green and blue
// come out the same provided no pixel has green 20000 on entry (the render's
// mask has none).
void bridge_EdgeGapsInRedMask(const PF_LayerDef &redMask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits, MaskMarks marks);
