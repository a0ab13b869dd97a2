// Classify: edge band, chaff removal, pocket flooding and classification.
#pragma once

#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"

// source: the detection source, whose alpha marks the solid edges; an 8-bit
// layer is read on the 16-bit scale. The seed stack goes unused: the pockets
// are flooded a run at a time (detect/pocket_runs.h). The codes come out as
// the red, green and blue of the plain form (reference/detect/classify_holes.h),
// the verdicts painted; the tags as it leaves them. The edge band's first
// pass, the first chaff iteration, the pockets' runs and the verdicts' paint
// run in row bands on `threads`; the rest is one thread's.
void floodFillHolesRemoveChaffLogInFillTagList(const InputLayer16 &source, const AnalysisMask &mask,
                                               A_long width, A_long height, FillTagList &list,
                                               A_long maxAcross, SeedStack &stack,
                                               const FillLimitsArray &limits,
                                               RowThreads threads = 1);
