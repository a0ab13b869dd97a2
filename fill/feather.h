// Stage 8: a linear fall-off stamped around every edge pixel of the fill area.
#pragma once

#include "detect/fill_limits.h"
#include "detect/mask_marks.h"
#include "fill/blur_kernel.h"

void superimposePixel16RedMaskBlurBlueAddOrSubtract(const PF_LayerDef &world, A_long x, A_long y,
                                                    float strength,
                                                    const FloatBlurPlotKernel &kernel,
                                                    bool subtract);

void blur_FromBlueAddOrSubtract(const PF_InData *in_data, const PF_LayerDef &redMask, A_long width,
                                A_long height, A_long lastRow, A_long featherRadius, bool subtract,
                                const FillLimitsArray &limits);

// marks LeftOut: the edge marks in alpha (30000 on edge pixels, 10000 on the
// rest of the swept area), which nothing after the stage reads, are not
// written. Blue comes out the same.
void blur_FromBlueAddOrSubtract(const PF_InData *in_data, const PF_LayerDef &redMask, A_long width,
                                A_long height, A_long lastRow, A_long featherRadius, bool subtract,
                                const FillLimitsArray &limits, MaskMarks marks);
