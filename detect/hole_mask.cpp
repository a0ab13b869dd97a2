#include "detect/hole_mask.h"

#include <algorithm>
#include <cstring>

#include "detect/row_bits.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

// The code of one alpha on the 16-bit scale, or of eight as lanes: band
// from the clear floor (inclusive) up to alphaLevel (exclusive); and
// CODE_OPAQUE where the alpha is exactly full (an 8-bit layer, at most
// 32640, has none).
struct BandTest {
    A_u_short floor;
    A_u_short level;  // floor when there is no band

    MaskCode operator()(unsigned alpha) const {
        return static_cast<MaskCode>((alpha >= floor && alpha < level ? CODE_BAND : 0) |
                                     (alpha == FULL_SCALE ? CODE_OPAQUE : 0));
    }
    Lanes8 operator()(const Lanes8 &alpha) const {
        return (((alpha >= floor) & (alpha < level)) & CODE_BAND) |
               ((alpha == FULL_SCALE) & CODE_OPAQUE);
    }
};

inline unsigned alpha16(const PF_Pixel &p) { return unsigned{p.alpha} << 7; }
inline unsigned alpha16(const PF_Pixel16 &p) { return p.alpha; }

// Columns left..right of a row, eight at a time.
template <typename Pixel>
void bandCodesOfRow(const Pixel *in, MaskCode *out, A_long left, A_long right,
                    const BandTest &code) {
    A_long x = left;
    for (; x + PIXEL_LANES - 1 <= right; x += PIXEL_LANES) {
        const Bytes8 codes = __builtin_convertvector(code(eightAlphas(in + x)), Bytes8);
        std::memcpy(out + x, &codes, sizeof codes);
    }
    for (; x <= right; ++x) out[x] = code(alpha16(in[x]));
}

}  // namespace

void copyAlphaToBandCodes(const AnalysisMask &mask, const InputLayer16 &source,
                          A_u_short alphaLevel, A_u_short floor, const FillLimitsArray &limits,
                          RowThreads threads) {
    const A_long width = mask.width;
    const BandTest test{floor, std::max(alphaLevel, floor)};
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
