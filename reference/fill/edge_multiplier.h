// EdgeMultiplier in its straightforward form: red set to 0 over the whole world,
// then 25 samples per fill pixel.
#pragma once

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"

namespace reference {

void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData *in_data, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits);

}  // namespace reference
