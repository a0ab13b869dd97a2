// Stage 9: the colour sources of the chosen fill chain, in order.
#pragma once

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"
#include "render/worlds/working_images.h"

struct FillChainWorlds {
    const PF_LayerDef *currentFrame;
    PF_LayerDef *const *frameArray;  // FRAME_ARRAY_SLOTS entries
    InputLayer16 input;
    const PF_LayerDef *patch;
    const PF_LayerDef *redMask;
    // How to read each slot's frame (FRAME_ARRAY_SLOTS entries) and the
    // current frame, when not as the 16-bit worlds above: the render's
    // captures keep 8-bit frames as they came (FrameCapturePlan), and may
    // read the input itself where the working copy would be.
    const InputLayer16 *frameViews = nullptr;
    InputLayer16 currentFrameView{};
};

void run_FillChain(A_long fillChain, const FillChainWorlds &worlds, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths);
