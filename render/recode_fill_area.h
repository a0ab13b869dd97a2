// ClearRejected and Normalise: turn the classification codes of the red mask
// into the fill area (blue FILL_BLUE on every pixel to fill, green
// GREEN_FILL_TAG on those that carry the green fill tag, red 0;
// detect/red_mask.h). They run on the analysis mask's codes as the red mask
// world is written from them.
#pragma once

#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"
#include "fill/blue_bits.h"
#include "render/row_threads.h"

// The red mask world from the analysis mask: every pixel of the world
// written (columns from the mask's width on, 0), with ClearRejected and then
// Normalise applied to the pixels within the limits when they run. The
// world may hold the mask (analysisMaskIn). threads: row bands on worker
// threads (render/row_workers.h); the world does not depend on them.
// blue, when given: the planes of the world's blue (fill/blue_bits.h) for
// its rows and columns that hold the mask. onlyFillPixels (with blue): only
// the fill pixels are written, and the planes say so (onlyFillWritten).
void write_RedMaskWorld(const PF_LayerDef &redMask, const AnalysisMask &mask,
                        const FillLimitsArray &limits, bool clearRejected, bool normalise,
                        RowThreads threads = 1, BlueBits *blue = nullptr,
                        bool onlyFillPixels = false);
