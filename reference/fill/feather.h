// Feather in its straightforward form: every edge pixel marked in alpha, then
// the whole kernel stamped around each, adding or subtracting.
#pragma once

#include "detect/fill_limits.h"
#include "fill/blur_kernel.h"

namespace reference {

// One stamp of the kernel around (x, y), scaled by strength. Adding raises
// blue to the stamp; subtracting is its mirror and lowers blue to the
// stamp's complement. Row 0 and column 0 are never written.
void superimposePixel16RedMaskBlurBlueAddOrSubtract(const PF_LayerDef &world, A_long x, A_long y,
                                                    float strength,
                                                    const FloatBlurPlotKernel &kernel,
                                                    bool subtract);

void blur_FromBlueAddOrSubtract(const PF_InData *in_data, const PF_LayerDef &redMask, A_long width,
                                A_long height, A_long lastRow, A_long featherRadius, bool subtract,
                                const FillLimitsArray &limits);

}  // namespace reference
