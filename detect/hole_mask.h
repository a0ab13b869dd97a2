// The initial hole mask: band where the alpha is partly transparent.
#pragma once

#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"
#include "render/row_threads.h"

// Every code of the mask: CODE_BAND within the limits where the source's
// alpha (read on the 16-bit scale) lies from `floor` up to alphaLevel
// (exclusive), 0 everywhere else; the red the plain form
// (reference/detect/hole_mask.h) writes into a cleared mask world. Also
// CODE_OPAQUE within the limits where that alpha is exactly full, for
// Classify's edge band (which reads no opaque pixel outside them). The limits
// are those built from the same source (fill_limits.h), within the mask.
// threads: row bands on worker threads (render/row_workers.h); the codes do
// not depend on them.
void copyAlphaToBandCodes(const AnalysisMask &mask, const InputLayer16 &source,
                          A_u_short alphaLevel, A_u_short floor, const FillLimitsArray &limits,
                          RowThreads threads = 1);
