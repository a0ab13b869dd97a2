// ClearRejected and Normalise as two passes over the red mask world (not
// part of the module): the render applies both as it writes the world from
// the analysis mask (write_RedMaskWorld, render/recode_fill_area.h).
#pragma once

#include "detect/fill_limits.h"

namespace reference {

// Rejected regions without a green mark become transparent black.
void clear_RejectedRegionsInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits);

// Every remaining code becomes a pixel to fill.
void normalise_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits);

}  // namespace reference
