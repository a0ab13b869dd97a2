// The initial hole mask: band where the alpha is partly transparent.
#pragma once

#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"

// Every code of the mask: CODE_BAND within the limits where the source's
// alpha (read on the 16-bit scale) lies from `floor` up to alphaLevel
// (exclusive), 0 everywhere else; the red the plain form
// (reference/detect/hole_mask.h) writes into a cleared mask world. The
// limits lie within the mask.
void copyAlphaToBandCodes(const AnalysisMask &mask, const InputLayer16 &source,
                          A_u_short alphaLevel, A_u_short floor, const FillLimitsArray &limits);
