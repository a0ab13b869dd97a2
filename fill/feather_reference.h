// Stage 8 in its straightforward form, kept to check the render's form
// against (not part of the module).
#pragma once

#include "detect/fill_limits.h"

void blur_FromBlueAddOrSubtract_reference(const PF_InData *in_data, const PF_LayerDef &redMask,
                                          A_long width, A_long height, A_long lastRow,
                                          A_long featherRadius, bool subtract,
                                          const FillLimitsArray &limits);
