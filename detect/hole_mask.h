// The initial hole mask: red 32768 where the alpha is partly transparent.
#pragma once

#include "detect/fill_limits.h"

// The whole mask world cleared to transparent black, then red written within
// the limits as copyAlphaWorldToRedInRedMask writes it (its plain form is in
// reference/detect/hole_mask.h), in one pass: each pixel is written once,
// whole. The source's alpha is read on the 16-bit scale; the limits lie
// within the mask world.
void clearAndCopyAlphaToRedInRedMask(const PF_LayerDef &redMask, const InputLayer16 &source,
                                     A_u_short alphaLevel, A_u_short floor,
                                     const FillLimitsArray &limits);
