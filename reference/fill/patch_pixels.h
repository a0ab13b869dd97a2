// What the plain colour sources ask of the red mask and the patch world.
#pragma once

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace reference {

inline bool isFillPixel(const PF_LayerDef &redMask, A_long x, A_long y) {
    return ::isFillPixel(*getPixel16(redMask, x, y));
}

// A patch colour of pure black counts as none, so a black source leaves the
// pixel to the next source of the chain.
inline bool isStillNeeded(const PF_LayerDef &patch, A_long x, A_long y) {
    const PF_Pixel16 *p = getPixel16(patch, x, y);
    return p->red == 0 && p->green == 0 && p->blue == 0;
}

}  // namespace reference
