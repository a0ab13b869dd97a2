// The initial hole mask in its straightforward form (not part of the module):
// the render writes the band as the analysis mask's codes
// (copyAlphaToBandCodes, detect/hole_mask.h).
#pragma once

#include "detect/fill_limits.h"

namespace reference {

// Red 32768 within the limits where the source's alpha lies in
// floor..alphaLevel - 1, 0 elsewhere in them; green, blue and alpha, and
// every pixel outside the limits, are left alone.
void copyAlphaWorldToRedInRedMask(const PF_LayerDef &redMask, const PF_LayerDef &source,
                                  A_u_short alphaLevel, A_u_short floor,
                                  const FillLimitsArray &limits);

}  // namespace reference
