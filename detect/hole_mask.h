// The initial hole mask: red 32768 where the alpha is partly transparent.
#pragma once

#include "detect/fill_limits.h"

void copyAlphaWorldToRedInRedMask(const PF_LayerDef &redMask, const PF_LayerDef &source,
                                  A_u_short alphaLevel, A_u_short floor,
                                  const FillLimitsArray &limits);

// The same from a layer of either depth, its alpha read on the 16-bit scale.
void copyAlphaWorldToRedInRedMask(const PF_LayerDef &redMask, const InputLayer16 &source,
                                  A_u_short alphaLevel, A_u_short floor,
                                  const FillLimitsArray &limits);

// The whole mask world cleared to transparent black, then
// copyAlphaWorldToRedInRedMask, in one pass: each pixel is written once,
// whole. The limits lie within the mask world.
void clearAndCopyAlphaToRedInRedMask(const PF_LayerDef &redMask, const InputLayer16 &source,
                                     A_u_short alphaLevel, A_u_short floor,
                                     const FillLimitsArray &limits);
