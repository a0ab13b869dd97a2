// Normalise on its own (not part of the module): the render runs it in one
// pass with ClearRejected (recode_FillAreaInRedMask, render/recode_fill_area.h).
#pragma once

#include "detect/fill_limits.h"

namespace reference {

// Every remaining code becomes a pixel to fill.
void normalise_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits);

}  // namespace reference
