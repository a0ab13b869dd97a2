#include "detect/hole_mask.h"

#include <algorithm>

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace {

// Red BAND_RED marks the hole band: alpha from the clear floor (inclusive) up to
// alphaLevel (exclusive).
inline A_u_short bandRed(A_u_short alpha, A_u_short floor, A_u_short alphaLevel) {
    return alpha >= floor && alpha < alphaLevel ? BAND_RED : POCKET_RED;
}

inline A_u_short alphaAt(const InputLayer16 &source, const void *row, A_long x) {
    return source.eightBit
               ? static_cast<A_u_short>(static_cast<const PF_Pixel *>(row)[x].alpha << 7)
               : static_cast<const PF_Pixel16 *>(row)[x].alpha;
}

inline const void *sourceRow(const InputLayer16 &source, A_long y) {
    return source.eightBit ? static_cast<const void *>(getPixel8(*source.layer, 0, y))
                           : static_cast<const void *>(getPixel16(*source.layer, 0, y));
}

}  // namespace

void clearAndCopyAlphaToRedInRedMask(const PF_LayerDef &redMask, const InputLayer16 &source,
                                     A_u_short alphaLevel, A_u_short floor,
                                     const FillLimitsArray &limits) {
    const A_long width = redMask.width;
    for (A_long y = 0; y < redMask.height; ++y) {
        PF_Pixel16 *mask = getPixel16(redMask, 0, y);
        const bool inRows = y >= limits.firstRow && y <= limits.lastRow;
        const A_long left = inRows ? std::max<A_long>(0, limits.left[y]) : width;
        const A_long right = inRows ? std::min(width - 1, limits.right[y]) : -1;
        for (A_long x = 0; x < std::min(left, width); ++x) mask[x] = PF_Pixel16{0, 0, 0, 0};
        if (left <= right) {
            const void *in = sourceRow(source, y);
            for (A_long x = left; x <= right; ++x)
                mask[x] = PF_Pixel16{0, bandRed(alphaAt(source, in, x), floor, alphaLevel), 0, 0};
        }
        for (A_long x = std::max(right + 1, left); x < width; ++x) mask[x] = PF_Pixel16{0, 0, 0, 0};
    }
}
