#include "render/fill_chain.h"

#include <algorithm>

#include "fill/patch_chain.h"
#include "render/render_settings.h"

namespace {

using S = PatchSource;

// The sources of each chain, in the order they are tried; index = chain - 1.
constexpr PatchSource CHAINS[10][PATCH_CHAIN_LENGTH] = {
    {S::SetColour, S::None, S::None},
    {S::Existing, S::SetColour, S::None},
    {S::Existing, S::OneFrame, S::SetColour},
    {S::Existing, S::ThreeFrames, S::SetColour},
    {S::Existing, S::ThreeFrames, S::AdjacentBlur},
    {S::Existing, S::AdjacentBlur, S::SetColour},
    {S::OneFrame, S::SetColour, S::None},
    {S::ThreeFrames, S::SetColour, S::None},
    {S::ThreeFrames, S::AdjacentBlur, S::None},
    {S::AdjacentBlur, S::SetColour, S::None},
};

}  // namespace

void run_FillChain(A_long fillChain, const FillChainWorlds &w, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths) {
    const A_long chain = fillChain >= 1 && fillChain <= 10 ? fillChain : 10;
    InputLayer16 frames[FRAME_ARRAY_SLOTS];
    InputLayer16 current = w.currentFrameView;
    if (w.frameViews != nullptr) {
        std::copy_n(w.frameViews, FRAME_ARRAY_SLOTS, frames);
    } else {
        for (A_long slot = 0; slot < FRAME_ARRAY_SLOTS; ++slot)
            frames[slot] = InputLayer16{w.frameArray[slot], false};
        current = InputLayer16{w.currentFrame, false};
    }
    const PatchChainInputs inputs{current,  frames,       w.input,   MINIMUM_ALPHA,
                                  blurSize, quarterLevel, setColour, &maths};
    patch_FillPixelsThroughChain(CHAINS[chain - 1], inputs, *w.patch, *w.redMask, limits);
}
