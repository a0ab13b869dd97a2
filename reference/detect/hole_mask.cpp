#include "reference/detect/hole_mask.h"

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace reference {

void copyAlphaWorldToRedInRedMask(const PF_LayerDef &redMask, const PF_LayerDef &source,
                                  A_u_short alphaLevel, A_u_short floor,
                                  const FillLimitsArray &limits) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            const A_u_short alpha = getPixel16Alpha(source, x, y);
            setPixel16Red(redMask, x, y,
                          alpha >= floor && alpha < alphaLevel ? BAND_RED : POCKET_RED);
        }
    }
}

}  // namespace reference
