#include "fill/blue_bits.h"

#include <algorithm>

#include "detect/red_mask.h"
#include "render/row_workers.h"

void size_BlueBits(BlueBits &bits, A_long width, A_long height) {
    bits.width = std::max<A_long>(width, 0);
    bits.words = bitWordsFor(bits.width);
    bits.rows = std::max<A_long>(height, 0);
    const std::size_t count = static_cast<std::size_t>(bits.words) * bits.rows;
    bits.fill.assign(count, 0);
    bits.full.assign(count, 0);
    bits.onlyFillWritten = false;
}

void read_BlueBitsFromWorld(BlueBits &bits, const PF_LayerDef &mask, A_long width, A_long height,
                            RowThreads threads) {
    size_BlueBits(bits, width, height);
    forEachRowBand(threads, bits.rows, [&](A_long first, A_long end) {
        for (A_long y = first; y < end; ++y) {
            const PF_Pixel16 *row = getPixel16(mask, 0, y);
            pixelRowBits(row, width, bits.fillRow(y), [](const auto &p) { return p.blue != 0; });
            pixelRowBits(row, width, bits.fullRow(y),
                         [](const auto &p) { return p.blue == FILL_BLUE; });
        }
    });
}
