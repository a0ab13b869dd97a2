// FillChain in its straightforward form: each source of the chain in turn over
// the whole region, through the patch world (reference/fill/patch_sources.h).
#pragma once

#include "render/fill_chain.h"

namespace reference {

void run_FillChain(A_long fillChain, const FillChainWorlds &worlds, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths);

}  // namespace reference
