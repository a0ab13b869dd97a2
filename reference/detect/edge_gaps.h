// EdgeGaps in its straightforward form: every offset tried at every pixel,
// then the scratch alpha of 19000 over the inner image and the inner gap
// marks turned into hole band.
#pragma once

#include "detect/fill_limits.h"

namespace reference {

void bridge_EdgeGapsInRedMask(const PF_LayerDef &redMask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits);

}  // namespace reference
