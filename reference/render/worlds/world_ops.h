// A whole-world conversion the render no longer makes (not part of the
// module): it writes an 8-bit output straight from the composition
// (compose_OutputViewInto8Bit, render/compose_view.h), converting each pixel
// as this converts it.
#pragma once

#include "api/effect_api.h"

namespace reference {

// Over the part the two worlds share, rows from 0 and columns from 0.
void copy16To8BitWorld(const PF_LayerDef &source16, const PF_LayerDef &destination8);

}  // namespace reference
