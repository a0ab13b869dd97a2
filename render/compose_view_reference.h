// The output composition in its straightforward form, kept to check the
// render's form against (not part of the module).
#pragma once

#include "render/compose_view.h"

void compose_OutputView_reference(const PF_LayerDef &output, const ComposeSources &sources,
                                  A_long viewMode, A_long width, A_long height);
