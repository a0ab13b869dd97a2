#include "reference/render/fill_chain.h"

#include "reference/fill/patch_sources.h"
#include "render/render_settings.h"

namespace reference {
namespace {

enum class Source { Existing, OneFrame, ThreeFrames, AdjacentBlur, SetColour, None };

// The sources of each chain, in the order they are tried; index = chain - 1.
constexpr Source CHAINS[10][3] = {
    {Source::SetColour, Source::None, Source::None},
    {Source::Existing, Source::SetColour, Source::None},
    {Source::Existing, Source::OneFrame, Source::SetColour},
    {Source::Existing, Source::ThreeFrames, Source::SetColour},
    {Source::Existing, Source::ThreeFrames, Source::AdjacentBlur},
    {Source::Existing, Source::AdjacentBlur, Source::SetColour},
    {Source::OneFrame, Source::SetColour, Source::None},
    {Source::ThreeFrames, Source::SetColour, Source::None},
    {Source::ThreeFrames, Source::AdjacentBlur, Source::None},
    {Source::AdjacentBlur, Source::SetColour, Source::None},
};

}  // namespace

void run_FillChain(A_long fillChain, const FillChainWorlds &w, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths) {
    const A_long chain = fillChain >= 1 && fillChain <= 10 ? fillChain : 10;
    for (Source source : CHAINS[chain - 1]) {
        switch (source) {
            case Source::Existing:
                patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(
                    *w.currentFrame, *w.patch, *w.redMask, MINIMUM_ALPHA, limits);
                break;
            case Source::OneFrame:
            case Source::ThreeFrames:
                patch_ColorsNeededWithOtherFramesIfStillNeeded(w.frameArray, *w.patch, *w.redMask,
                                                               source == Source::OneFrame ? 1 : 3,
                                                               MINIMUM_ALPHA, limits);
                break;
            case Source::AdjacentBlur:
                patch_ColorsNeededWithBlurredSurroundingsIfStillNeeded(
                    w.input, *w.patch, *w.redMask, blurSize, limits, quarterLevel, maths);
                break;
            case Source::SetColour:
                patch_ColorsNeededWithSetColorfStillNeeded(*w.patch, *w.redMask, setColour, limits);
                break;
            case Source::None:
                return;
        }
    }
}

}  // namespace reference
