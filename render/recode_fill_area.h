// ClearRejected and Normalise: turn the classification codes of the red mask
// into the fill area (blue FILL_BLUE on every pixel to fill, green
// GREEN_FILL_TAG on those that carry the green fill tag, red 0;
// detect/red_mask.h).
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"

// ClearRejected: rejected regions without a green mark become transparent
// black.
void clear_RejectedRegionsInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits);

// ClearRejected then Normalise on every pixel in one pass, as the driver runs
// them when both run (Normalise alone, the plain form's second pass, is in
// reference/render/recode_fill_area.h). verdicts: the tags of a Classify that
// left its final paint to this pass (null: it painted them), applied to each
// pixel first.
void recode_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits,
                              const FillTagList *verdicts = nullptr);
