#include "detect/hole_mask.h"

#include <algorithm>
#include <cstring>

#include "render/worlds/pixels.h"

namespace {

// Band: alpha from the clear floor (inclusive) up to alphaLevel (exclusive).
// Unsigned arithmetic makes that one comparison.
template <typename Pixel, typename AlphaOf>
void bandCodesOfRow(const Pixel *in, MaskCode *out, A_long left, A_long right, A_u_short floor,
                    A_u_short alphaLevel, AlphaOf alphaOf) {
    const unsigned span = alphaLevel > floor ? unsigned(alphaLevel - floor) : 0u;
    for (A_long x = left; x <= right; ++x)
        out[x] = unsigned(alphaOf(in[x]) - floor) < span ? CODE_BAND : 0;
}

}  // namespace

void copyAlphaToBandCodes(const AnalysisMask &mask, const InputLayer16 &source,
                          A_u_short alphaLevel, A_u_short floor, const FillLimitsArray &limits) {
    const A_long width = mask.width;
    for (A_long y = 0; y < mask.height; ++y) {
        MaskCode *codes = mask.row(y);
        const bool inRows = y >= limits.firstRow && y <= limits.lastRow;
        const A_long left = inRows ? std::max<A_long>(0, limits.left[y]) : width;
        const A_long right = inRows ? std::min(width - 1, limits.right[y]) : -1;
        std::memset(codes, 0, static_cast<std::size_t>(width));
        if (left > right) continue;
        if (source.eightBit)
            bandCodesOfRow(getPixel8(*source.layer, 0, y), codes, left, right, floor, alphaLevel,
                           [](const PF_Pixel &p) { return unsigned(p.alpha) << 7; });
        else
            bandCodesOfRow(getPixel16(*source.layer, 0, y), codes, left, right, floor, alphaLevel,
                           [](const PF_Pixel16 &p) { return unsigned(p.alpha); });
    }
}
