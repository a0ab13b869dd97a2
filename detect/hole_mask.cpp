#include "detect/hole_mask.h"

#include <algorithm>
#include <cstring>

#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

// Band: alpha from the clear floor (inclusive) up to alphaLevel (exclusive).
// Unsigned arithmetic makes that one comparison.
void bandCodesOfRow(const PF_Pixel *in, MaskCode *out, A_long left, A_long right, A_u_short floor,
                    A_u_short alphaLevel) {
    const unsigned span = alphaLevel > floor ? unsigned(alphaLevel - floor) : 0u;
    for (A_long x = left; x <= right; ++x)
        out[x] = unsigned((in[x].alpha << 7) - floor) < span ? CODE_BAND : 0;
}

// The same, and CODE_OPAQUE where the alpha is exactly full (an 8-bit
// layer, at most 32640, has none).
void bandCodesOfRow(const PF_Pixel16 *in, MaskCode *out, A_long left, A_long right, A_u_short floor,
                    A_u_short alphaLevel) {
    const unsigned span = alphaLevel > floor ? unsigned(alphaLevel - floor) : 0u;
    for (A_long x = left; x <= right; ++x) {
        const unsigned alpha = in[x].alpha;
        out[x] = static_cast<MaskCode>((unsigned(alpha - floor) < span ? CODE_BAND : 0) |
                                       (alpha == FULL_SCALE ? CODE_OPAQUE : 0));
    }
}

}  // namespace

void copyAlphaToBandCodes(const AnalysisMask &mask, const InputLayer16 &source,
                          A_u_short alphaLevel, A_u_short floor, const FillLimitsArray &limits,
                          int threads) {
    const A_long width = mask.width;
    // Each row's codes come from the same row of the source alone.
    forEachRowBand(threads, mask.height, [&](A_long firstRow, A_long endRow) {
        for (A_long y = firstRow; y < endRow; ++y) {
            MaskCode *codes = mask.row(y);
            const bool inRows = y >= limits.firstRow && y <= limits.lastRow;
            const A_long left = inRows ? std::max<A_long>(0, limits.left[y]) : width;
            const A_long right = inRows ? std::min(width - 1, limits.right[y]) : -1;
            std::memset(codes, 0, static_cast<std::size_t>(width));
            if (source.eightBit) {
                if (left <= right)
                    bandCodesOfRow(getPixel8(*source.layer, 0, y), codes, left, right, floor,
                                   alphaLevel);
                continue;
            }
            // Outside the limits the opaque pixels go unmarked: the only ones
            // there lie in column 0 of a row with no other visible pixel,
            // and the edge band never reads them (their row holds no edge
            // pixel, and column 0 is never one).
            if (left <= right)
                bandCodesOfRow(getPixel16(*source.layer, 0, y), codes, left, right, floor,
                               alphaLevel);
        }
    });
}
