// The mask's blue as two planes of bits, one row of words per mask row: the
// fill pixels (blue above 0) and the full ones (FILL_BLUE). The red mask world
// is written with them; the stages after it that ask only these questions of
// blue read the planes instead of the world's eight bytes a pixel. Feather
// keeps the fill plane up to date with its stamps; the full plane stays as
// it was before Feather, which is where it is read.
//
// A render whose view reads the mask at fill pixels alone has the world
// written only there (onlyFillWritten): every other pixel stands for
// transparent black, whatever its memory holds. Its readers then read the
// world at fill pixels only, and a stage that makes a pixel fill writes the
// whole pixel.
#pragma once

#include <vector>

#include "detect/row_bits.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"

struct BlueBits {
    A_long width = 0;  // columns
    A_long words = 0;  // per row: bitWordsFor(width)
    A_long rows = 0;
    std::vector<BitWord> fill;
    std::vector<BitWord> full;
    bool onlyFillWritten = false;

    bool isFill(A_long x, A_long y) const {
        return (fillRow(y)[x / BITS_PER_WORD] >> (x % BITS_PER_WORD)) & 1;
    }
    BitWord *fillRow(A_long y) { return fill.data() + static_cast<std::size_t>(y) * words; }
    BitWord *fullRow(A_long y) { return full.data() + static_cast<std::size_t>(y) * words; }
    const BitWord *fillRow(A_long y) const {
        return fill.data() + static_cast<std::size_t>(y) * words;
    }
    const BitWord *fullRow(A_long y) const {
        return full.data() + static_cast<std::size_t>(y) * words;
    }
};

// Planes for columns 0..width - 1 of rows 0..height - 1, all 0.
void size_BlueBits(BlueBits &bits, A_long width, A_long height);

// The planes of the world as it is (rows in bands on `threads`).
void read_BlueBitsFromWorld(BlueBits &bits, const PF_LayerDef &mask, A_long width, A_long height,
                            RowThreads threads = 1);

// The planes a stage was given, or, called without (tests, the plain
// comparisons), those of the mask as it is, read into `read`.
template <typename Planes>
Planes &givenOrRead(Planes *given, BlueBits &read, const PF_LayerDef &mask, A_long width,
                    A_long height, RowThreads threads) {
    if (given != nullptr) return *given;
    read_BlueBitsFromWorld(read, mask, width, height, threads);
    return read;
}
