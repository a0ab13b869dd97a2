// FillChain's colour sources in their straightforward form: each goes over the
// whole region and writes into the patch world where a fill pixel still needs
// a colour. The render takes each fill pixel through the chain at once
// (patch_FillPixelsThroughChain, fill/patch_chain.h).
#pragma once

#include "detect/fill_limits.h"
#include "fill/blur_kernel.h"
#include "render/worlds/pixels.h"
#include "render/worlds/working_images.h"

namespace reference {

void patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(const PF_LayerDef &currentFrame,
                                                              const PF_LayerDef &patch,
                                                              const PF_LayerDef &redMask,
                                                              A_u_short minimumAlpha,
                                                              const FillLimitsArray &limits);

void patch_ColorsNeededWithOtherFramesIfStillNeeded(
    PF_LayerDef *const frameArray[FRAME_ARRAY_SLOTS], const PF_LayerDef &patch,
    const PF_LayerDef &redMask, A_long reach, A_u_short minimumAlpha,
    const FillLimitsArray &limits);

void patch_ColorsNeededWithBlurredSurroundingsIfStillNeeded(
    const InputLayer16 &input, const PF_LayerDef &patch, const PF_LayerDef &redMask,
    A_long blurSize, const FillLimitsArray &limits, A_u_short quarterLevel,
    const PF_ANSICallbacks &maths);

void patch_ColorsNeededWithSetColorfStillNeeded(const PF_LayerDef &patch,
                                                const PF_LayerDef &redMask,
                                                const PF_Pixel16 &setColour,
                                                const FillLimitsArray &limits);

// The alpha-gated kernel average of source around (x, y), written into
// target at (x, y). The source's first row and column are never sampled.
void blendGausSummedAreaIntoSinglePixel(const InputLayer16 &source, const PF_LayerDef &target,
                                        A_long x, A_long y, const FloatBlurPlotKernel &kernel,
                                        A_u_short minimumAlpha);

}  // namespace reference
