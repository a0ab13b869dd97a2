// The initial hole mask: red 32768 where the alpha is partly transparent.
#pragma once

#include "detect/fill_limits.h"

void copyAlphaWorldToRedInRedMask(const PF_LayerDef &redMask, const PF_LayerDef &source,
                                  A_u_short alphaLevel, A_u_short floor,
                                  const FillLimitsArray &limits);
