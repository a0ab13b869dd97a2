// Classify: edge band, chaff removal, pocket flooding and classification.
#pragma once

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/red_mask.h"
#include "detect/seed_stack.h"
#include "render/worlds/pixels.h"

// source: the detection source, whose alpha marks the solid edges; an 8-bit
// layer is read on the 16-bit scale. The seed stack goes unused: the pockets
// are flooded a span at a time (floodPocketFrom).
//
// paintVerdicts false is the render's path when ClearRejected and Normalise
// follow: the tagged pockets keep their tag codes (red TAG_STEP * k) and the
// verdicts are left to recode_FillAreaInRedMask, which paints them as it
// recodes.
void floodFillHolesRemoveChaffLogInFillTagList(const InputLayer16 &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list, A_long maxAcross,
                                               SeedStack &stack, const FillLimitsArray &limits,
                                               bool paintVerdicts);

// A tagged pixel's verdict (red and blue from its tag), as the final paint
// of Classify gives it; other pixels are left alone.
inline void paintVerdictOf(PF_Pixel16 &pixel, const FillTagList &list) {
    if (pixel.red < TAG_STEP || pixel.red > LAST_TAG_RED) return;
    const FillTag &tag = list.tags[pixel.red / TAG_STEP];
    pixel.red = tag.redOut;
    pixel.blue = tag.blueOut;
}
