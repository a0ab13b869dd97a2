#include "render/fill_chain.h"

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
    const PatchChainInputs inputs{w.currentFrame, w.frameArray, w.packedEightBit, w.input,
                                  MINIMUM_ALPHA,  blurSize,     quarterLevel,     setColour,
                                  &maths};
    patch_FillPixelsThroughChain(CHAINS[chain - 1], inputs, *w.patch, *w.redMask, limits);
}
