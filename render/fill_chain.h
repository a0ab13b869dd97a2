// FillChain: the colour sources of the chosen fill chain, in order, and the
// table of the chains.
#pragma once

#include "detect/fill_limits.h"
#include "fill/patch_chain.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"
#include "render/worlds/working_images.h"

// One choice of the ">Fill with" control: the sources it tries, in order, and
// what the render prepares for them. The rest is worked out from the sources.
struct FillChain {
    PatchSource sources[PATCH_CHAIN_LENGTH];  // None ends a shorter chain
    bool readsCurrentFrame;                   // the existing colour
    A_long frameReach;                        // frames read on either side: 0, 1 or 3
    bool blurs;  // the adjacent blur: the region reaches the blur size further

    constexpr FillChain(PatchSource first, PatchSource second = PatchSource::None,
                        PatchSource third = PatchSource::None)
        : sources{first, second, third}, readsCurrentFrame(false), frameReach(0), blurs(false) {
        for (PatchSource s : sources) {
            readsCurrentFrame |= s == PatchSource::Existing;
            frameReach = frameReachOf(s) > frameReach ? frameReachOf(s) : frameReach;
            blurs |= s == PatchSource::AdjacentBlur;
        }
    }
};

constexpr A_long FILL_CHAIN_COUNT = 10;

// Chain n at index n - 1, as the control lists them.
constexpr FillChain FILL_CHAINS[FILL_CHAIN_COUNT] = {
    {PatchSource::SetColour},
    {PatchSource::Existing, PatchSource::SetColour},
    {PatchSource::Existing, PatchSource::OneFrame, PatchSource::SetColour},
    {PatchSource::Existing, PatchSource::ThreeFrames, PatchSource::SetColour},
    {PatchSource::Existing, PatchSource::ThreeFrames, PatchSource::AdjacentBlur},
    {PatchSource::Existing, PatchSource::AdjacentBlur, PatchSource::SetColour},
    {PatchSource::OneFrame, PatchSource::SetColour},
    {PatchSource::ThreeFrames, PatchSource::SetColour},
    {PatchSource::ThreeFrames, PatchSource::AdjacentBlur},
    {PatchSource::AdjacentBlur, PatchSource::SetColour},
};

// The chain a ">Fill with" value selects: 1..10, any other value 10.
constexpr A_long fillChainNumber(A_long fillWith) {
    return fillWith >= 1 && fillWith <= FILL_CHAIN_COUNT ? fillWith : FILL_CHAIN_COUNT;
}
constexpr const FillChain &fillChainOf(A_long fillWith) {
    return FILL_CHAINS[fillChainNumber(fillWith) - 1];
}

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
    const BlueBits *fillPixels = nullptr;  // the mask's fill plane (PatchChainInputs)
};

void run_FillChain(A_long fillChain, const FillChainWorlds &worlds, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths,
                   RowThreads threads = 1, const PatchRowDone &afterEachRow = {});
