#include "reference/render/fill_chain.h"

#include "reference/fill/patch_sources.h"
#include "render/render_settings.h"

namespace reference {

void run_FillChain(A_long fillChain, const FillChainWorlds &w, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths) {
    for (PatchSource source : fillChainOf(fillChain).sources) {
        switch (source) {
            case PatchSource::Existing:
                patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(
                    *w.currentFrame, *w.patch, *w.redMask, MINIMUM_ALPHA, limits);
                break;
            case PatchSource::OneFrame:
            case PatchSource::ThreeFrames:
                patch_ColorsNeededWithOtherFramesIfStillNeeded(w.frameArray, *w.patch, *w.redMask,
                                                               frameReachOf(source), MINIMUM_ALPHA,
                                                               limits);
                break;
            case PatchSource::AdjacentBlur:
                patch_ColorsNeededWithBlurredSurroundingsIfStillNeeded(
                    w.input, *w.patch, *w.redMask, blurSize, limits, quarterLevel, maths);
                break;
            case PatchSource::SetColour:
                patch_ColorsNeededWithSetColorfStillNeeded(*w.patch, *w.redMask, setColour, limits);
                break;
            case PatchSource::None:
                return;
        }
    }
}

}  // namespace reference
