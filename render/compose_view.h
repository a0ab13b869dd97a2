// Writes the chosen view into the 16-bit output world: the repaired result,
// only the changes, the alpha, or the analysis mask.
#pragma once

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"

struct ComposeSources {
    InputLayer16 input;  // the input layer itself, on the 16-bit scale
    const PF_LayerDef *patch;
    const PF_LayerDef *redMask;
    const FillLimitsArray *limits;
    PF_Pixel16 decontamColour;
};

// Fill amount after tapering at the fill's edge by the edge multiplier (red).
A_u_short taperedFillAmount(const PF_Pixel16 &mask);

// Writes every pixel of output within width x height. The patch world is
// read only where the fill amount is above 0.
void compose_OutputView(const PF_LayerDef &output, const ComposeSources &sources, A_long viewMode,
                        A_long width, A_long height);

// The same view written straight into an 8-bit output, each pixel converted
// as copy16To8BitWorld converts the 16-bit one: no 16-bit copy is needed.
void compose_OutputViewInto8Bit(const PF_LayerDef &output8, const ComposeSources &sources,
                                A_long viewMode, A_long width, A_long height);
