// Stages 4 and 5: turn the classification codes of the red mask into the
// fill area (blue 32768 on every pixel to fill, green 20000 on those that
// carry the green fill tag, red 0).
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"

// Stage 4: rejected regions without a green mark become transparent black.
void clear_RejectedRegionsInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits);

// Stage 4 then stage 5 on every pixel in one pass, as the driver runs them
// when both run (stage 5 alone, the plain form's second pass, is in
// reference/render/recode_fill_area.h). verdicts: the tags of a stage 3 that left its final paint
// to this pass (null: it painted them), applied to each pixel first.
void recode_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits,
                              const FillTagList *verdicts = nullptr);
