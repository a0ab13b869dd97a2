// FillChain's plain colour sources that need no kernel. Each writes red, green and
// blue into the patch world for fill pixels of the region; all but the first
// of a chain only where the patch pixel still needs a colour.
#include "reference/fill/patch_sources.h"

#include "fill/fill_region.h"
#include "reference/fill/patch_pixels.h"

namespace reference {
namespace {

void writeColourKeepingAlpha(const PF_LayerDef &patch, A_long x, A_long y,
                             const PF_Pixel16 &colour) {
    PF_Pixel16 *p = getPixel16(patch, x, y);
    p->red = colour.red;
    p->green = colour.green;
    p->blue = colour.blue;
}

const PF_LayerDef *frameAt(PF_LayerDef *const frameArray[FRAME_ARRAY_SLOTS], A_long offset) {
    return frameArray[FRAME_ARRAY_CENTRE + offset];
}

// A missing frame has no colour to give.
bool isColoured(const PF_LayerDef *frame, A_long x, A_long y, A_u_short minimumAlpha) {
    return frame != nullptr && getPixel16Alpha(*frame, x, y) >= minimumAlpha;
}

// The nearest pair of frames around the current one that holds a coloured
// pixel gives the colour; both coloured give their rounded mean.
bool patchFromNearestFrames(PF_LayerDef *const frameArray[FRAME_ARRAY_SLOTS],
                            const PF_LayerDef &patch, A_long x, A_long y, A_long reach,
                            A_u_short minimumAlpha) {
    for (A_long k = 1; k <= reach; ++k) {
        const PF_LayerDef *before = frameAt(frameArray, -k);
        const PF_LayerDef *after = frameAt(frameArray, k);
        const bool beforeColoured = isColoured(before, x, y, minimumAlpha);
        const bool afterColoured = isColoured(after, x, y, minimumAlpha);
        if (beforeColoured && afterColoured) {
            writeColourKeepingAlpha(
                patch, x, y, avg2Pixel16(*getPixel16(*before, x, y), *getPixel16(*after, x, y)));
        } else if (beforeColoured) {
            writeColourKeepingAlpha(patch, x, y, *getPixel16(*before, x, y));
        } else if (afterColoured) {
            writeColourKeepingAlpha(patch, x, y, *getPixel16(*after, x, y));
        } else {
            continue;
        }
        return true;
    }
    return false;
}

}  // namespace

// First in every chain that uses it, while the patch world is still all zero,
// so there is no still-needed test.
void patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(const PF_LayerDef &currentFrame,
                                                              const PF_LayerDef &patch,
                                                              const PF_LayerDef &redMask,
                                                              A_u_short minimumAlpha,
                                                              const FillLimitsArray &limits) {
    forEachRegionPixel(limits, worldBounds(redMask), [&](A_long x, A_long y) {
        if (!isFillPixel(redMask, x, y)) return;
        const PF_Pixel16 *existing = getPixel16(currentFrame, x, y);
        if (existing->alpha >= minimumAlpha) writeColourKeepingAlpha(patch, x, y, *existing);
    });
}

// Slot 0 (the current frame) is never consulted; reach is at most the ten
// frames the array has on either side.
void patch_ColorsNeededWithOtherFramesIfStillNeeded(
    PF_LayerDef *const frameArray[FRAME_ARRAY_SLOTS], const PF_LayerDef &patch,
    const PF_LayerDef &redMask, A_long reach, A_u_short minimumAlpha,
    const FillLimitsArray &limits) {
    const A_long frames = reach < FRAME_ARRAY_CENTRE ? reach : FRAME_ARRAY_CENTRE;
    forEachRegionPixel(limits, worldBounds(redMask), [&](A_long x, A_long y) {
        if (isFillPixel(redMask, x, y) && isStillNeeded(patch, x, y))
            patchFromNearestFrames(frameArray, patch, x, y, frames, minimumAlpha);
    });
}

// The last resort of a chain; the only source that writes the patch alpha.
void patch_ColorsNeededWithSetColorfStillNeeded(const PF_LayerDef &patch,
                                                const PF_LayerDef &redMask,
                                                const PF_Pixel16 &setColour,
                                                const FillLimitsArray &limits) {
    const PF_Pixel16 colour{FULL_SCALE, setColour.red, setColour.green, setColour.blue};
    forEachRegionPixel(limits, worldBounds(redMask), [&](A_long x, A_long y) {
        if (isFillPixel(redMask, x, y) && isStillNeeded(patch, x, y))
            setPixel16(patch, x, y, &colour);
    });
}

}  // namespace reference
