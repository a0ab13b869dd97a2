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
    // Per slot: the world holds 8-bit pixels as they came (FrameCapturePlan);
    // null: every frame world holds 16-bit pixels. The current frame is the
    // world of slot 0 as the frames were fetched.
    const bool *packedEightBit = nullptr;
};

void run_FillChain(A_long fillChain, const FillChainWorlds &worlds, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths);
