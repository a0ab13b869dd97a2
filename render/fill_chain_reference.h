// Stage 9 in its straightforward form, kept to check the render's form
// against (not part of the module).
#pragma once

#include "render/fill_chain.h"

void run_FillChain_reference(A_long fillChain, const FillChainWorlds &worlds, A_long blurSize,
                             A_u_short quarterLevel, const PF_Pixel16 &setColour,
                             const FillLimitsArray &limits, const PF_ANSICallbacks &maths);
