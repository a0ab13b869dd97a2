#include "detect/hole_mask.h"

#include "render/worlds/pixels.h"

// Red 32768 marks the hole band: alpha from the clear floor (inclusive) up to
// alphaLevel (exclusive). Green, blue and alpha are left alone.
void copyAlphaWorldToRedInRedMask(const PF_LayerDef &redMask, const PF_LayerDef &source,
                                  A_u_short alphaLevel, A_u_short floor,
                                  const FillLimitsArray &limits) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            const A_u_short alpha = getPixel16Alpha(source, x, y);
            const bool inBand = alpha >= floor && alpha < alphaLevel;
            setPixel16Red(redMask, x, y, inBand ? 32768 : 0);
        }
    }
}
