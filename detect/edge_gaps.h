// EdgeGaps: bridges narrow gaps in the hole band's edge.
#pragma once

#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"
#include "render/row_threads.h"

// Red, green and blue come out as the plain form's
// (reference/detect/edge_gaps.h) provided no pixel has the gap mark on
// entry, as none has in the render's mask; the plain form's scratch alpha of
// 19000 over the inner image is not kept. threads: row bands on worker
// threads (render/row_workers.h); the codes do not depend on them.
void bridge_EdgeGapsInRedMask(const AnalysisMask &mask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits,
                              RowThreads threads = 1);
