// The output composition in its straightforward form: every pixel prepared
// through the accessors, the fill colour worked out whether or not it is used.
#pragma once

#include "render/compose_view.h"

namespace reference {

// The patch colour with the background colour's cast removed.
PF_Pixel16 decontaminatedPatchColour(const PF_Pixel16 &patch, const PF_Pixel16 &decontam,
                                     A_u_short fillAmount);

void compose_OutputView(const PF_LayerDef &output, const ComposeSources &sources, A_long viewMode,
                        A_long width, A_long height);

}  // namespace reference
