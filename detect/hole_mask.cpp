#include "detect/hole_mask.h"

#include <algorithm>
#include <cstring>

#include "detect/alpha_blocks.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

// The code of one alpha on the 16-bit scale: band from the clear floor
// (inclusive) up to alphaLevel (exclusive), which unsigned arithmetic makes
// one comparison; and CODE_OPAQUE where the alpha is exactly full (an 8-bit
// layer, at most 32640, has none).
struct BandTest {
    A_u_short floor;
    unsigned span;

    MaskCode operator()(unsigned alpha) const {
        return static_cast<MaskCode>((unsigned(alpha - floor) < span ? CODE_BAND : 0) |
                                     (alpha == FULL_SCALE ? CODE_OPAQUE : 0));
    }
};

inline unsigned alpha16(const PF_Pixel &p) { return unsigned{p.alpha} << 7; }
inline unsigned alpha16(const PF_Pixel16 &p) { return p.alpha; }

// Columns left..right of a row; a block of eight pixels of one alpha gets
// one code.
template <typename Pixel>
void bandCodesOfRow(const Pixel *in, MaskCode *out, A_long left, A_long right,
                    const BandTest &code) {
    A_long x = left;
    for (; x + ALPHA_BLOCK <= right + 1; x += ALPHA_BLOCK) {
        if (eightAlphasAlike(in + x)) {
            std::memset(out + x, code(alpha16(in[x])), ALPHA_BLOCK);
            continue;
        }
        for (A_long i = x; i < x + ALPHA_BLOCK; ++i) out[i] = code(alpha16(in[i]));
    }
    for (; x <= right; ++x) out[x] = code(alpha16(in[x]));
}

}  // namespace

void copyAlphaToBandCodes(const AnalysisMask &mask, const InputLayer16 &source,
                          A_u_short alphaLevel, A_u_short floor, const FillLimitsArray &limits,
                          int threads) {
    const A_long width = mask.width;
    const BandTest test{floor, alphaLevel > floor ? unsigned(alphaLevel - floor) : 0u};
    // Each row's codes come from the same row of the source alone.
    forEachRowBand(threads, mask.height, [&](A_long firstRow, A_long endRow) {
        for (A_long y = firstRow; y < endRow; ++y) {
            MaskCode *codes = mask.row(y);
            const bool inRows = y >= limits.firstRow && y <= limits.lastRow;
            const A_long left = inRows ? std::max<A_long>(0, limits.left[y]) : width;
            const A_long right = inRows ? std::min(width - 1, limits.right[y]) : -1;
            const A_long before = std::min(left, width);
            std::memset(codes, 0, static_cast<std::size_t>(before));
            if (left <= right) {
                std::memset(codes + right + 1, 0, static_cast<std::size_t>(width - 1 - right));
                // Outside the limits the opaque pixels go unmarked: the only
                // ones there lie in column 0 of a row with no other visible
                // pixel, and the edge band never reads them (their row holds
                // no edge pixel, and column 0 is never one).
                if (source.eightBit)
                    bandCodesOfRow(getPixel8(*source.layer, 0, y), codes, left, right, test);
                else
                    bandCodesOfRow(getPixel16(*source.layer, 0, y), codes, left, right, test);
            } else {
                std::memset(codes + before, 0, static_cast<std::size_t>(width - before));
            }
        }
    });
}
